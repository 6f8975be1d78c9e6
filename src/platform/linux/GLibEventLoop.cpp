#include "platform/linux/GLibEventLoop.h"

#include <glib.h>

#include <memory>

namespace pellora {

namespace {

gboolean runClosureOnce(gpointer data) {
    (*static_cast<Closure*>(data))();
    return G_SOURCE_REMOVE;
}

void deleteClosure(gpointer data) { delete static_cast<Closure*>(data); }

void addIdle(Closure closure) {
    // Default priority keeps posted closures in step with timers and input, like the
    // ordered queue the rest of the application expects.
    GSource* source = g_idle_source_new();
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, runClosureOnce, new Closure(std::move(closure)), deleteClosure);
    g_source_attach(source, g_main_context_default());
    g_source_unref(source);
}

// The state a GLib timer shares with its Timer handle. The action is copied out before
// it runs, so invalidating the timer (even from inside its own action) never destroys a
// closure that is executing.
struct TimerState {
    Closure action;
    bool repeats = false;
    guint sourceId = 0;
    bool active = true;
};

gboolean fireTimer(gpointer data) {
    auto state = *static_cast<std::shared_ptr<TimerState>*>(data);  // keeps it alive
    if (!state->active) return G_SOURCE_REMOVE;
    const bool repeats = state->repeats;
    if (!repeats) {
        state->active = false;
        state->sourceId = 0;  // GLib removes the source when we return G_SOURCE_REMOVE
    }
    Closure action = state->action;
    action();
    if (!repeats) return G_SOURCE_REMOVE;
    return state->active ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void deleteTimerState(gpointer data) { delete static_cast<std::shared_ptr<TimerState>*>(data); }

class GLibTimerSource final : public Timer::Source {
public:
    explicit GLibTimerSource(std::shared_ptr<TimerState> state) : state_(std::move(state)) {}
    void cancel() override {
        if (!state_->active) return;
        // Inside its own action the source is being dispatched; fireTimer sees `active`
        // false and removes it, so only a pending source is removed here.
        state_->active = false;
        if (state_->sourceId != 0) {
            GSource* source = g_main_context_find_source_by_id(nullptr, state_->sourceId);
            if (source && !g_source_is_destroyed(source)) g_source_destroy(source);
            state_->sourceId = 0;
        }
    }
    bool isActive() const override { return state_->active; }

private:
    std::shared_ptr<TimerState> state_;
};

}  // namespace

void GLibEventLoop::post(Closure closure) { addIdle(std::move(closure)); }

void GLibEventLoop::postFromAnyThread(Closure closure) {
    // Attaching a source to a context is thread-safe and wakes the context up.
    addIdle(std::move(closure));
}

Timer GLibEventLoop::startTimer(Duration interval, bool repeats, Closure action) {
    auto state = std::make_shared<TimerState>();
    state->action = std::move(action);
    state->repeats = repeats;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(interval).count();
    state->sourceId = g_timeout_add_full(G_PRIORITY_DEFAULT, static_cast<guint>(ms < 0 ? 0 : ms),
                                         fireTimer, new std::shared_ptr<TimerState>(state),
                                         deleteTimerState);
    return Timer(std::make_unique<GLibTimerSource>(std::move(state)));
}

Duration GLibEventLoop::uptime() const { return Duration(g_get_monotonic_time()); }

double GLibEventLoop::wallClock() const {
    return static_cast<double>(g_get_real_time()) / 1'000'000.0;
}

}  // namespace pellora
