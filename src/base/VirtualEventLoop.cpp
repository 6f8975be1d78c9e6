#include "base/VirtualEventLoop.h"

namespace pellora {

struct VirtualEventLoop::TimerEntry {
    Duration interval;
    bool repeats;
    Closure action;
    bool active = true;
};

class VirtualEventLoop::TimerSource final : public Timer::Source {
public:
    explicit TimerSource(std::shared_ptr<TimerEntry> entry) : entry_(std::move(entry)) {}
    void cancel() override {
        entry_->active = false;
        entry_->action = nullptr;
    }
    bool isActive() const override { return entry_->active; }

private:
    std::shared_ptr<TimerEntry> entry_;
};

VirtualEventLoop::VirtualEventLoop() = default;

VirtualEventLoop::~VirtualEventLoop() {
    // Closures may own coroutine frames or weak captures; drop them before members go.
    ready_.clear();
    timers_.clear();
    std::lock_guard lock(inboxMutex_);
    inbox_.clear();
}

void VirtualEventLoop::post(Closure closure) { ready_.push_back(std::move(closure)); }

void VirtualEventLoop::postFromAnyThread(Closure closure) {
    {
        std::lock_guard lock(inboxMutex_);
        inbox_.push_back(std::move(closure));
    }
    inboxSignal_.notify_all();
}

Timer VirtualEventLoop::startTimer(Duration interval, bool repeats, Closure action) {
    auto entry = std::make_shared<TimerEntry>(TimerEntry{interval, repeats, std::move(action)});
    timers_.emplace(std::make_pair(now_ + interval, nextSequence_++), entry);
    return Timer(std::make_unique<TimerSource>(entry));
}

double VirtualEventLoop::wallClock() const {
    return wallOrigin_ + std::chrono::duration<double>(now_).count();
}

void VirtualEventLoop::setWallClock(double seconds) {
    wallOrigin_ = seconds - std::chrono::duration<double>(now_).count();
}

std::size_t VirtualEventLoop::pendingTimerCount() const {
    std::size_t count = 0;
    for (const auto& [key, entry] : timers_) count += entry->active ? 1 : 0;
    return count;
}

void VirtualEventLoop::drainInbox() {
    std::deque<Closure> incoming;
    {
        std::lock_guard lock(inboxMutex_);
        incoming.swap(inbox_);
    }
    for (auto& closure : incoming) ready_.push_back(std::move(closure));
}

bool VirtualEventLoop::runOneReady() {
    drainInbox();
    if (ready_.empty()) return false;
    Closure closure = std::move(ready_.front());
    ready_.pop_front();
    if (closure) closure();
    return true;
}

bool VirtualEventLoop::fireNextTimerDueBy(Duration limit) {
    while (!timers_.empty()) {
        auto it = timers_.begin();
        if (it->first.first > limit) return false;
        auto entry = it->second;
        Duration due = it->first.first;
        timers_.erase(it);
        if (!entry->active) continue;
        now_ = due;
        if (entry->repeats) {
            timers_.emplace(std::make_pair(due + entry->interval, nextSequence_++), entry);
        } else {
            entry->active = false;
        }
        Closure action = entry->action;
        if (!entry->repeats) entry->action = nullptr;
        if (action) action();
        return true;
    }
    return false;
}

void VirtualEventLoop::runUntilIdle() {
    for (;;) {
        while (runOneReady()) {
        }
        if (!fireNextTimerDueBy(now_)) return;
    }
}

void VirtualEventLoop::advance(Duration delta) {
    Duration target = now_ + delta;
    runUntilIdle();
    while (fireNextTimerDueBy(target)) {
        runUntilIdle();
    }
    now_ = target;
    runUntilIdle();
}

bool VirtualEventLoop::runUntil(const std::function<bool()>& done,
                                std::chrono::milliseconds realTimeout) {
    auto deadline = std::chrono::steady_clock::now() + realTimeout;
    for (;;) {
        runUntilIdle();
        if (done()) return true;
        std::unique_lock lock(inboxMutex_);
        if (!inboxSignal_.wait_until(lock, deadline, [this] { return !inbox_.empty(); })) {
            lock.unlock();
            runUntilIdle();
            return done();
        }
    }
}

}  // namespace pellora
