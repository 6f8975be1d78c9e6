// An event loop whose clock only moves when a test says so.
//
// Lives on the test's thread, which plays the main thread. `advance` fires every due
// timer in deadline order (posting order breaks ties) and runs the closures each one
// posts, so a 45-second deadline is tested in microseconds. Worker threads hand results
// back through postFromAnyThread; `runUntil` waits for them in real time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "base/EventLoop.h"

namespace pellora {

class VirtualEventLoop final : public EventLoop {
public:
    VirtualEventLoop();
    ~VirtualEventLoop() override;

    void post(Closure closure) override;
    void postFromAnyThread(Closure closure) override;
    Timer startTimer(Duration interval, bool repeats, Closure action) override;
    Duration uptime() const override { return now_; }
    double wallClock() const override;

    // Runs posted closures (and closures handed over from other threads) until none is
    // left. Timers fire only when they are due at the current virtual time.
    void runUntilIdle();
    // Moves the clock forward by `delta`, firing due timers in order and running what they
    // post, then leaves the clock exactly `delta` later.
    void advance(Duration delta);
    // Runs the loop until `done()` holds, waiting in real time (up to `realTimeout`) for
    // closures from worker threads. Virtual time does not move. Returns done().
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds realTimeout = std::chrono::seconds(20));

    // Sets the wall clock to `seconds` since 1970 at the current uptime.
    void setWallClock(double seconds);
    std::size_t pendingTimerCount() const;

private:
    struct TimerEntry;
    class TimerSource;

    bool runOneReady();
    void drainInbox();
    bool fireNextTimerDueBy(Duration limit);

    Duration now_{0};
    double wallOrigin_ = 1'800'000'000.0;
    std::uint64_t nextSequence_ = 0;
    std::deque<Closure> ready_;
    std::map<std::pair<Duration, std::uint64_t>, std::shared_ptr<TimerEntry>> timers_;

    std::mutex inboxMutex_;
    std::condition_variable inboxSignal_;
    std::deque<Closure> inbox_;
};

}  // namespace pellora
