#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/Log.h"
#include "base/Task.h"
#include "base/VirtualEventLoop.h"

using namespace pellora;
using namespace std::chrono_literals;

namespace {

class TaskTest : public ::testing::Test {
protected:
    VirtualEventLoop loop;
    MainLoopScope scope{loop};
};

Task<int> answerAfter(Duration delay, int value) {
    co_await sleepFor(delay);
    co_return value;
}

Task<int> failing() {
    co_await sleepFor(1s);
    throw std::runtime_error("boom");
}

}  // namespace

TEST_F(TaskTest, SpawnStartsOnTheLoopNotInline) {
    bool ran = false;
    spawn([](bool& flag) -> Task<void> {
        flag = true;
        co_return;
    }(ran));
    EXPECT_FALSE(ran);
    loop.runUntilIdle();
    EXPECT_TRUE(ran);
}

TEST_F(TaskTest, AwaitedTasksReturnValuesAndPropagateErrors) {
    std::vector<std::string> events;
    auto handle = spawn([](std::vector<std::string>& out) -> Task<void> {
        int a = co_await answerAfter(2s, 40);
        int b = co_await answerAfter(1s, 2);
        out.push_back(std::to_string(a + b));
        try {
            co_await failing();
        } catch (const std::runtime_error& error) {
            out.push_back(error.what());
        }
    }(events));
    loop.advance(2s);
    EXPECT_TRUE(events.empty());
    loop.advance(1s);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], "42");
    loop.advance(1s);
    EXPECT_EQ(events.back(), "boom");
    EXPECT_TRUE(handle.isFinished());
}

TEST_F(TaskTest, CancellingDuringASleepWakesItWithCancellationAtOnce) {
    std::string outcome;
    auto handle = spawn([](std::string& out) -> Task<void> {
        try {
            co_await sleepFor(3600s);
            out = "slept";
        } catch (const CancelledError&) {
            out = "cancelled";
        }
    }(outcome));
    loop.advance(1s);
    handle.cancel();
    EXPECT_EQ(outcome, "");  // woken from the loop, not inside cancel()
    loop.runUntilIdle();
    EXPECT_EQ(outcome, "cancelled");
    EXPECT_EQ(loop.uptime(), Duration(1s));
    EXPECT_EQ(loop.pendingTimerCount(), 0u);
}

TEST_F(TaskTest, CancellationReachesNestedTasksAndLaterSleepsFailAtOnce) {
    int sleepsCompleted = 0;
    bool sawCancelled = false;
    auto handle = spawn([](int& completed, bool& cancelled) -> Task<void> {
        auto inner = [](int& done) -> Task<void> {
            co_await sleepFor(5s);
            ++done;
            co_await sleepFor(5s);
            ++done;
        };
        bool threw = false;
        try {
            co_await inner(completed);
        } catch (const CancelledError&) {
            threw = true;
        }
        cancelled = threw && co_await isCancelled();
        try {
            co_await sleepFor(1s);
            ++completed;
        } catch (const CancelledError&) {
        }
    }(sleepsCompleted, sawCancelled));
    loop.advance(6s);
    handle.cancel();
    loop.advance(100s);
    EXPECT_EQ(sleepsCompleted, 1);
    EXPECT_TRUE(sawCancelled);
    EXPECT_TRUE(handle.isFinished());
}

TEST_F(TaskTest, ScopedTaskCancelsWhenItsOwnerGoes) {
    bool finishedNormally = false;
    {
        ScopedTask owned = spawn([](bool& done) -> Task<void> {
            co_await sleepFor(10s);
            done = true;
        }(finishedNormally));
        loop.advance(1s);
    }
    loop.advance(20s);
    EXPECT_FALSE(finishedNormally);
}

TEST_F(TaskTest, TaskHoldingItsOwnerWeaklyDoesNothingOnceTheOwnerIsGone) {
    struct Owner {
        int touched = 0;
    };
    auto owner = std::make_shared<Owner>();
    std::weak_ptr<Owner> weak = owner;
    bool ranAfterSleep = false;
    spawn([](std::weak_ptr<Owner> weakOwner, bool& ran) -> Task<void> {
        co_await sleepFor(5s);
        ran = true;
        if (auto strong = weakOwner.lock()) ++strong->touched;
    }(weak, ranAfterSleep));
    loop.advance(1s);
    owner.reset();
    loop.advance(10s);
    EXPECT_TRUE(ranAfterSleep);
    EXPECT_TRUE(weak.expired());
}

TEST_F(TaskTest, WorkerHandOffResumesOnTheMainThreadWithResultOrError) {
    const auto mainThread = std::this_thread::get_id();
    std::thread::id workerThread;
    std::thread::id resumedOn;
    int result = 0;
    std::string error;
    auto handle = spawn([](std::thread::id& worker, std::thread::id& resumed, int& value,
                           std::string& failure) -> Task<void> {
        value = co_await runOnWorker([&worker] {
            worker = std::this_thread::get_id();
            return 7;
        });
        resumed = std::this_thread::get_id();
        try {
            co_await runOnWorker([]() -> void { throw std::runtime_error("worker failed"); });
        } catch (const std::runtime_error& e) {
            failure = e.what();
        }
    }(workerThread, resumedOn, result, error));
    ASSERT_TRUE(loop.runUntil([&] { return handle.isFinished(); }));
    EXPECT_EQ(result, 7);
    EXPECT_NE(workerThread, mainThread);
    EXPECT_EQ(resumedOn, mainThread);
    EXPECT_EQ(error, "worker failed");
}

TEST_F(TaskTest, CallbackBridgeResumesOnLaterOrImmediateAnswers) {
    std::function<void(int)> pending;
    std::vector<int> results;
    auto handle = spawn([](std::function<void(int)>& later, std::vector<int>& out) -> Task<void> {
        out.push_back(co_await awaitCallback<int>([](auto resolve) { resolve(1); }));
        out.push_back(co_await awaitCallback<int>([&later](auto resolve) { later = resolve; }));
    }(pending, results));
    loop.runUntilIdle();
    ASSERT_TRUE(pending);
    EXPECT_EQ(results, std::vector<int>{1});
    pending(2);
    pending(3);  // a second answer is ignored
    EXPECT_EQ(results, (std::vector<int>{1, 2}));
    EXPECT_TRUE(handle.isFinished());
}

TEST_F(TaskTest, AnErrorEscapingASpawnedTaskIsLoggedNotThrownIntoTheLoop) {
    LogCapture capture;
    spawn([]() -> Task<void> {
        co_await sleepFor(1s);
        throw Error("Pellora.Update", 1, "went wrong");
    }());
    EXPECT_NO_THROW(loop.advance(2s));
    EXPECT_TRUE(capture.contains("[shell] task ended with an error: went wrong"));
}
