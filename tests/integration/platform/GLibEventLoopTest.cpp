#include "platform/linux/GLibEventLoop.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace pellora {
namespace {

// Iterates the default context until `done` or a real-time limit passes.
bool iterateUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < deadline) g_main_context_iteration(nullptr, FALSE);
    return done();
}

TEST(GLibEventLoopTest, PostedClosuresRunInOrderAndWorkersCanPost) {
    GLibEventLoop loop;
    std::vector<int> order;
    loop.post([&] { order.push_back(1); });
    loop.post([&] { order.push_back(2); });
    std::thread worker([&] { loop.postFromAnyThread([&] { order.push_back(3); }); });
    worker.join();
    ASSERT_TRUE(iterateUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(GLibEventLoopTest, TimersFireAndCanBeInvalidatedFromTheirOwnAction) {
    GLibEventLoop loop;
    int oneShot = 0;
    int repeating = 0;
    Timer single = loop.startTimer(std::chrono::milliseconds(5), false, [&] { ++oneShot; });
    Timer repeat;
    repeat = loop.startTimer(std::chrono::milliseconds(2), true, [&] {
        if (++repeating == 3) repeat.invalidate();  // destroys the running timer's handle
    });
    int cancelled = 0;
    Timer never = loop.startTimer(std::chrono::milliseconds(1), false, [&] { ++cancelled; });
    never.invalidate();

    ASSERT_TRUE(iterateUntil([&] { return oneShot == 1 && repeating == 3; }));
    iterateUntil([] { return false; }, std::chrono::milliseconds(30));
    EXPECT_EQ(oneShot, 1);
    EXPECT_EQ(repeating, 3);
    EXPECT_EQ(cancelled, 0);
    EXPECT_FALSE(single.isActive());
    EXPECT_FALSE(repeat.isActive());
}

TEST(GLibEventLoopTest, ClocksAdvance) {
    GLibEventLoop loop;
    const auto before = loop.uptime();
    const double wall = loop.wallClock();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(loop.uptime() - before, std::chrono::milliseconds(5));
    EXPECT_GT(wall, 1.6e9);
    EXPECT_GE(loop.wallClock(), wall);
}

}  // namespace
}  // namespace pellora
