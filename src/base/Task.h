// Coroutines on the main thread.
//
// `Task<T>` is lazy and move-only: nothing runs until it is awaited (symmetric transfer
// hands control straight to the awaited frame and back). `spawn` starts a task on the main
// loop and returns a `TaskHandle`; cancelling it marks every frame of that task tree as
// cancelled and wakes a pending `sleepFor`, which then throws `CancelledError`.
// Everything here runs on the main thread except the body given to `runOnWorker`.
#pragma once

#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "base/Error.h"
#include "base/EventLoop.h"

namespace pellora {

// Shared by all frames of one spawned task: the cancellation flag and the wake-ups of
// whatever the task is currently waiting on.
class TaskContext {
public:
    bool isCancelled() const { return cancelled_; }
    void cancel();

    // Registers a wake-up to run (once) on cancellation; returns a token for removal.
    std::size_t onCancel(std::function<void()> wake);
    void removeOnCancel(std::size_t token);

private:
    bool cancelled_ = false;
    std::size_t nextToken_ = 0;
    std::vector<std::pair<std::size_t, std::function<void()>>> wakes_;
};

namespace detail {

struct PromiseBase {
    std::shared_ptr<TaskContext> context;
    std::coroutine_handle<> continuation;
};

struct FinalAwaiter {
    bool await_ready() noexcept { return false; }
    template <typename P>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<P> handle) noexcept {
        auto next = handle.promise().continuation;
        return next ? next : std::noop_coroutine();
    }
    void await_resume() noexcept {}
};

template <typename T>
struct Promise : PromiseBase {
    std::variant<std::monostate, T, std::exception_ptr> result;
    template <typename U>
    void return_value(U&& value) {
        result.template emplace<1>(std::forward<U>(value));
    }
    void unhandled_exception() { result.template emplace<2>(std::current_exception()); }
    T take() {
        if (result.index() == 2) std::rethrow_exception(std::get<2>(result));
        return std::move(std::get<1>(result));
    }
};

template <>
struct Promise<void> : PromiseBase {
    std::exception_ptr error;
    void return_void() {}
    void unhandled_exception() { error = std::current_exception(); }
    void take() {
        if (error) std::rethrow_exception(error);
    }
};

}  // namespace detail

template <typename T = void>
class [[nodiscard]] Task {
public:
    struct promise_type : detail::Promise<T> {
        Task get_return_object() {
            return Task(std::coroutine_handle<promise_type>::from_promise(*this));
        }
        std::suspend_always initial_suspend() noexcept { return {}; }
        detail::FinalAwaiter final_suspend() noexcept { return {}; }
    };

    Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            if (handle_) handle_.destroy();
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() {
        if (handle_) handle_.destroy();
    }

    struct Awaiter {
        std::coroutine_handle<promise_type> handle;
        bool await_ready() noexcept { return false; }
        template <typename P>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<P> caller) noexcept {
            handle.promise().context = caller.promise().context;
            handle.promise().continuation = caller;
            return handle;
        }
        T await_resume() { return handle.promise().take(); }
    };
    Awaiter operator co_await() && noexcept { return Awaiter{handle_}; }

private:
    explicit Task(std::coroutine_handle<promise_type> handle) : handle_(handle) {}
    std::coroutine_handle<promise_type> handle_;
};

// Handle of a spawned task: cancel it, ask whether it finished. Dropping the handle does
// not cancel; owners that must stop their work on destruction hold a `ScopedTask`.
class TaskHandle {
public:
    TaskHandle() = default;
    void cancel() const;
    bool isCancelled() const;
    bool isFinished() const;
    explicit operator bool() const { return state_ != nullptr; }

    struct State {
        std::shared_ptr<TaskContext> context = std::make_shared<TaskContext>();
        bool finished = false;
    };
    explicit TaskHandle(std::shared_ptr<State> state) : state_(std::move(state)) {}

private:
    std::shared_ptr<State> state_;
};

// A task handle that cancels its task when destroyed or replaced.
class ScopedTask {
public:
    ScopedTask() = default;
    ScopedTask(TaskHandle handle) : handle_(std::move(handle)) {}  // NOLINT: implicit by design
    ScopedTask(ScopedTask&&) noexcept = default;
    ScopedTask& operator=(ScopedTask&& other) noexcept;
    ScopedTask(const ScopedTask&) = delete;
    ScopedTask& operator=(const ScopedTask&) = delete;
    ~ScopedTask() { handle_.cancel(); }

    const TaskHandle& handle() const { return handle_; }
    explicit operator bool() const { return static_cast<bool>(handle_); }
    void reset();

private:
    TaskHandle handle_;
};

// Starts `task` on the main loop (after what is already posted). An error escaping the task
// is logged, never rethrown into the loop.
TaskHandle spawn(Task<void> task);

// --- Awaitables that need the task's context ---------------------------------------------

namespace detail {

template <typename P>
TaskContext* contextOf(std::coroutine_handle<P> handle) {
    return handle.promise().context.get();
}

}  // namespace detail

// True when the current task has been cancelled. Never suspends.
struct CancellationProbe {
    bool cancelled = false;
    bool await_ready() noexcept { return false; }
    template <typename P>
    bool await_suspend(std::coroutine_handle<P> handle) noexcept {
        auto* context = detail::contextOf(handle);
        cancelled = context && context->isCancelled();
        return false;
    }
    bool await_resume() noexcept { return cancelled; }
};
inline CancellationProbe isCancelled() { return {}; }

// Suspends for `delay` on the main loop's clock. Throws CancelledError when the task is
// cancelled before or during the sleep.
class SleepAwaiter {
public:
    explicit SleepAwaiter(Duration delay) : delay_(delay) {}
    bool await_ready() noexcept { return false; }
    template <typename P>
    bool await_suspend(std::coroutine_handle<P> handle) {
        return suspend(handle, detail::contextOf(handle));
    }
    void await_resume();

private:
    struct Shared;
    bool suspend(std::coroutine_handle<> handle, TaskContext* context);
    Duration delay_;
    std::shared_ptr<Shared> shared_;
};
inline SleepAwaiter sleepFor(Duration delay) { return SleepAwaiter(delay); }

// Bridges a callback-style operation into a task: `start` receives a `resolve` function
// that must be called once, on the main thread, with the result.
template <typename T>
class CallbackAwaiter {
public:
    using Resolve = std::function<void(T)>;
    explicit CallbackAwaiter(std::function<void(Resolve)> start) : start_(std::move(start)) {}
    bool await_ready() noexcept { return false; }
    bool await_suspend(std::coroutine_handle<> handle) {
        auto state = state_;
        state->handle = handle;
        state->starting = true;
        start_([state](T value) {
            if (state->value.has_value()) return;
            state->value.emplace(std::move(value));
            if (!state->starting) state->handle.resume();
        });
        state->starting = false;
        // Answered synchronously: carry on without suspending.
        return !state->value.has_value();
    }
    T await_resume() { return std::move(*state_->value); }

private:
    struct State {
        std::coroutine_handle<> handle;
        bool starting = false;
        std::optional<T> value;
    };
    std::function<void(Resolve)> start_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};
template <typename T>
CallbackAwaiter<T> awaitCallback(std::function<void(std::function<void(T)>)> start) {
    return CallbackAwaiter<T>(std::move(start));
}

// Runs `work` on a worker thread and resumes the awaiting task on the main loop with its
// result (or its exception). Not interruptible: a cancelled task sees the result anyway.
template <typename F>
class WorkerAwaiter {
public:
    using Result = std::invoke_result_t<F>;
    explicit WorkerAwaiter(F work) : work_(std::move(work)) {}
    bool await_ready() noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) {
        EventLoop* loop = &EventLoop::main();
        std::thread([this, handle, loop]() mutable {
            try {
                if constexpr (std::is_void_v<Result>) {
                    work_();
                    outcome_.template emplace<1>();
                } else {
                    outcome_.template emplace<1>(work_());
                }
            } catch (...) {
                outcome_.template emplace<2>(std::current_exception());
            }
            loop->postFromAnyThread([handle] { handle.resume(); });
        }).detach();
    }
    Result await_resume() {
        if (outcome_.index() == 2) std::rethrow_exception(std::get<2>(outcome_));
        if constexpr (!std::is_void_v<Result>) return std::move(std::get<1>(outcome_));
    }

private:
    using Stored = std::conditional_t<std::is_void_v<Result>, std::monostate, Result>;
    F work_;
    std::variant<std::monostate, Stored, std::exception_ptr> outcome_;
};
template <typename F>
WorkerAwaiter<F> runOnWorker(F work) {
    return WorkerAwaiter<F>(std::move(work));
}

}  // namespace pellora
