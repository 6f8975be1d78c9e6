// Where blocking work of utility priority runs (tool runs, process discovery): off the
// main thread in the application, inline in unit tests so virtual time stays exact.
// Owned by main() (or a test) and shared by the objects that offload work.
#pragma once

#include <exception>
#include <coroutine>
#include <functional>
#include <memory>
#include <type_traits>
#include <variant>

#include "base/Task.h"

namespace pellora {

class WorkQueue {
public:
    virtual ~WorkQueue() = default;
    // Runs `work` somewhere, then `completion` on the main loop. Called on the main thread.
    virtual void dispatch(std::function<void()> work, std::function<void()> completion) = 0;
};

// Awaits `work` run on `queue`: resumes the awaiting task on the main loop with its
// result or exception. The state lives in the awaiter (inside the awaiting frame) and in
// shared ownership with the queued closures, so nothing refers to a temporary of the
// co_await expression once the task is suspended.
template <typename F>
class OffloadAwaiter {
public:
    using Result = std::invoke_result_t<F>;

    OffloadAwaiter(WorkQueue& queue, F work) : queue_(queue), work_(std::move(work)) {}
    bool await_ready() noexcept { return false; }
    bool await_suspend(std::coroutine_handle<> handle) {
        auto state = state_;
        state->handle = handle;
        state->dispatching = true;
        queue_.dispatch(
            [work = std::move(work_), state]() mutable {
                try {
                    if constexpr (std::is_void_v<Result>) {
                        work();
                        state->outcome.template emplace<1>();
                    } else {
                        state->outcome.template emplace<1>(work());
                    }
                } catch (...) {
                    state->outcome.template emplace<2>(std::current_exception());
                }
            },
            [state] {
                state->completed = true;
                if (!state->dispatching) state->handle.resume();
            });
        state->dispatching = false;
        // A queue that ran everything inline: carry on without suspending.
        return !state->completed;
    }
    Result await_resume() {
        if (state_->outcome.index() == 2) std::rethrow_exception(std::get<2>(state_->outcome));
        if constexpr (!std::is_void_v<Result>) return std::move(std::get<1>(state_->outcome));
    }

private:
    using Stored = std::conditional_t<std::is_void_v<Result>, std::monostate, Result>;
    struct State {
        std::coroutine_handle<> handle;
        bool dispatching = false;
        bool completed = false;
        std::variant<std::monostate, Stored, std::exception_ptr> outcome;
    };
    WorkQueue& queue_;
    F work_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

// Runs `work` on `queue`; `co_await` the result.
template <typename F>
OffloadAwaiter<F> offload(WorkQueue& queue, F work) {
    return OffloadAwaiter<F>(queue, std::move(work));
}

}  // namespace pellora
