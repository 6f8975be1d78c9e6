#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/VirtualEventLoop.h"

using namespace pellora;
using namespace std::chrono_literals;

TEST(VirtualEventLoop, RunsPostedClosuresInOrderIncludingOnesPostedWhileRunning) {
    VirtualEventLoop loop;
    std::vector<int> order;
    loop.post([&] {
        order.push_back(1);
        loop.post([&] { order.push_back(3); });
    });
    loop.post([&] { order.push_back(2); });
    loop.runUntilIdle();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(VirtualEventLoop, FiresTimersByDeadlineThenPostingOrderAndMovesTheClock) {
    VirtualEventLoop loop;
    std::vector<std::string> fired;
    auto late = loop.startTimer(30s, false, [&] { fired.push_back("30s@" + std::to_string(loop.uptime().count())); });
    auto earlyA = loop.startTimer(4s, false, [&] { fired.push_back("4a"); });
    auto earlyB = loop.startTimer(4s, false, [&] { fired.push_back("4b"); });
    loop.advance(10s);
    EXPECT_EQ(fired, (std::vector<std::string>{"4a", "4b"}));
    EXPECT_EQ(loop.uptime(), Duration(10s));
    loop.advance(20s);
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired[2], "30s@30000000");
}

TEST(VirtualEventLoop, InvalidatedOrDestroyedTimersNeverFire) {
    VirtualEventLoop loop;
    int count = 0;
    auto kept = loop.startTimer(1s, false, [&] { ++count; });
    kept.invalidate();
    { auto dropped = loop.startTimer(1s, false, [&] { ++count; }); }
    loop.advance(5s);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(kept.isActive());
}

TEST(VirtualEventLoop, RepeatingTimerFiresEveryIntervalUntilInvalidated) {
    VirtualEventLoop loop;
    int ticks = 0;
    Timer timer = loop.startTimer(5s, true, [&] { ++ticks; });
    loop.advance(16s);
    EXPECT_EQ(ticks, 3);
    timer.invalidate();
    loop.advance(30s);
    EXPECT_EQ(ticks, 3);
}

TEST(VirtualEventLoop, TimerThatReplacesItselfWhileFiringIsSafe) {
    VirtualEventLoop loop;
    Timer timer;
    int fired = 0;
    std::function<void()> arm = [&] {
        timer = loop.startTimer(1s, false, [&] {
            ++fired;
            if (fired < 3) arm();
        });
    };
    arm();
    loop.advance(10s);
    EXPECT_EQ(fired, 3);
}

TEST(VirtualEventLoop, WallClockFollowsUptime) {
    VirtualEventLoop loop;
    loop.setWallClock(1'000.0);
    loop.advance(2500ms);
    EXPECT_DOUBLE_EQ(loop.wallClock(), 1'002.5);
}
