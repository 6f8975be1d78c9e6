#include "base/Task.h"

#include "base/Log.h"

namespace pellora {

void TaskContext::cancel() {
    if (cancelled_) return;
    cancelled_ = true;
    auto wakes = std::move(wakes_);
    wakes_.clear();
    for (auto& [token, wake] : wakes) wake();
}

std::size_t TaskContext::onCancel(std::function<void()> wake) {
    std::size_t token = nextToken_++;
    wakes_.emplace_back(token, std::move(wake));
    return token;
}

void TaskContext::removeOnCancel(std::size_t token) {
    std::erase_if(wakes_, [token](const auto& entry) { return entry.first == token; });
}

void TaskHandle::cancel() const {
    if (state_) state_->context->cancel();
}

bool TaskHandle::isCancelled() const { return state_ && state_->context->isCancelled(); }

bool TaskHandle::isFinished() const { return state_ && state_->finished; }

ScopedTask& ScopedTask::operator=(ScopedTask&& other) noexcept {
    if (this != &other) {
        handle_.cancel();
        handle_ = std::move(other.handle_);
        other.handle_ = TaskHandle();
    }
    return *this;
}

void ScopedTask::reset() {
    handle_.cancel();
    handle_ = TaskHandle();
}

namespace {

struct RootTask {
    struct promise_type : detail::PromiseBase {
        RootTask get_return_object() {
            return RootTask{std::coroutine_handle<promise_type>::from_promise(*this)};
        }
        std::suspend_always initial_suspend() noexcept { return {}; }
        std::suspend_never final_suspend() noexcept { return {}; }
        void return_void() {}
        void unhandled_exception() {}
    };
    std::coroutine_handle<promise_type> handle;
};

RootTask runRoot(Task<void> task, std::shared_ptr<TaskHandle::State> state) {
    try {
        co_await std::move(task);
    } catch (const CancelledError&) {
        // A cancelled task ends quietly.
    } catch (...) {
        logLine("[shell] task ended with an error: " + describeCurrentException());
    }
    state->finished = true;
}

// Owns a root frame until it is started, so a loop that is torn down before running the
// start closure frees the frame instead of leaking it.
struct PendingStart {
    std::coroutine_handle<> handle;
    explicit PendingStart(std::coroutine_handle<> h) : handle(h) {}
    PendingStart(const PendingStart&) = delete;
    PendingStart& operator=(const PendingStart&) = delete;
    ~PendingStart() {
        if (handle) handle.destroy();
    }
    void start() { std::exchange(handle, {}).resume(); }
};

}  // namespace

TaskHandle spawn(Task<void> task) {
    auto state = std::make_shared<TaskHandle::State>();
    RootTask root = runRoot(std::move(task), state);
    root.handle.promise().context = state->context;
    auto pending = std::make_shared<PendingStart>(root.handle);
    EventLoop::main().post([pending] { pending->start(); });
    return TaskHandle(state);
}

struct SleepAwaiter::Shared {
    std::coroutine_handle<> handle;
    Timer timer;
    TaskContext* context = nullptr;
    std::size_t token = 0;
    bool done = false;
    bool cancelled = false;
};

bool SleepAwaiter::suspend(std::coroutine_handle<> handle, TaskContext* context) {
    shared_ = std::make_shared<Shared>();
    if (context && context->isCancelled()) {
        shared_->cancelled = true;
        return false;
    }
    shared_->handle = handle;
    std::weak_ptr<Shared> weak = shared_;
    if (context) {
        shared_->context = context;
        shared_->token = context->onCancel([weak] {
            auto shared = weak.lock();
            if (!shared || shared->done) return;
            shared->done = true;
            shared->cancelled = true;
            shared->timer.invalidate();
            // Resume from the loop, not from inside whoever called cancel().
            auto resumed = shared->handle;
            EventLoop::main().post([resumed] { resumed.resume(); });
        });
    }
    shared_->timer = EventLoop::main().startTimer(delay_, false, [weak] {
        auto shared = weak.lock();
        if (!shared || shared->done) return;
        shared->done = true;
        if (shared->context) shared->context->removeOnCancel(shared->token);
        shared->handle.resume();
    });
    return true;
}

void SleepAwaiter::await_resume() {
    if (shared_ && shared_->cancelled) throw CancelledError();
}

}  // namespace pellora
