#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "base/NotificationCenter.h"

using namespace pellora;

TEST(NotificationCenter, DeliversByNameInSubscriptionOrderAndStopsWhenObservationDies) {
    NotificationCenter center;
    std::vector<int> heard;
    auto first = center.observe("A", [&] { heard.push_back(1); });
    std::optional<NotificationCenter::Observation> second =
        center.observe("A", [&] { heard.push_back(2); });
    auto other = center.observe("B", [&] { heard.push_back(9); });
    center.post("A");
    second.reset();
    center.post("A");
    EXPECT_EQ(heard, (std::vector<int>{1, 2, 1}));
}

TEST(NotificationCenter, ObserverMayRemoveAnotherWhileBeingTold) {
    NotificationCenter center;
    std::vector<int> heard;
    std::optional<NotificationCenter::Observation> later;
    auto first = center.observe("A", [&] {
        heard.push_back(1);
        later.reset();
    });
    later = center.observe("A", [&] { heard.push_back(2); });
    center.post("A");
    EXPECT_EQ(heard, std::vector<int>{1});
}
