// The main-thread event loop behind everything the application does.
//
// Lives on the main thread; owned by main() (the GLib-backed loop) or by a test (the
// virtual-time loop). All application state is touched only from closures this loop runs.
// postFromAnyThread is the one entry point worker threads may call.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace pellora {

using Duration = std::chrono::microseconds;
using Closure = std::function<void()>;

// A one-shot or repeating timer. Cancels itself when destroyed, so a timer stored in a
// field dies with its owner and never fires into a dead object.
class Timer {
public:
    class Source {
    public:
        virtual ~Source() = default;
        virtual void cancel() = 0;
        virtual bool isActive() const = 0;
    };

    Timer() = default;
    explicit Timer(std::unique_ptr<Source> source) : source_(std::move(source)) {}
    Timer(Timer&&) noexcept = default;
    Timer& operator=(Timer&& other) noexcept;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() { invalidate(); }

    void invalidate();
    bool isActive() const { return source_ && source_->isActive(); }

private:
    std::unique_ptr<Source> source_;
};

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // Runs `closure` on this loop after the closures already posted.
    virtual void post(Closure closure) = 0;
    // Thread-safe variant of post, for worker threads handing results back.
    virtual void postFromAnyThread(Closure closure) = 0;
    // Arms a timer on this loop. A repeating timer fires every `interval` until invalidated.
    virtual Timer startTimer(Duration interval, bool repeats, Closure action) = 0;

    // Monotonic time since an arbitrary origin ("system uptime"): deadlines and polling.
    virtual Duration uptime() const = 0;
    // Wall-clock seconds since 1970: grants, expiries, `since` stamps.
    virtual double wallClock() const = 0;

    // The process's main loop. Set by whoever runs the loop (main() or a test fixture).
    static EventLoop& main();
    static bool hasMain();
    static void setMain(EventLoop* loop);
};

// Installs a loop as the main loop for the lifetime of this object.
class MainLoopScope {
public:
    explicit MainLoopScope(EventLoop& loop) { EventLoop::setMain(&loop); }
    ~MainLoopScope() { EventLoop::setMain(nullptr); }
    MainLoopScope(const MainLoopScope&) = delete;
    MainLoopScope& operator=(const MainLoopScope&) = delete;
};

}  // namespace pellora
