// The production EventLoop: the default GLib main context that GTK runs. Closures and
// timers are GLib sources on that context. Lives on the main thread (post, startTimer);
// postFromAnyThread may be called from any thread. Owned by main().
#pragma once

#include "base/EventLoop.h"

namespace pellora {

class GLibEventLoop final : public EventLoop {
public:
    GLibEventLoop() = default;
    GLibEventLoop(const GLibEventLoop&) = delete;
    GLibEventLoop& operator=(const GLibEventLoop&) = delete;

    void post(Closure closure) override;
    void postFromAnyThread(Closure closure) override;
    Timer startTimer(Duration interval, bool repeats, Closure action) override;
    Duration uptime() const override;
    double wallClock() const override;
};

}  // namespace pellora
