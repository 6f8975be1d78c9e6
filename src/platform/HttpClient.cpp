#include "platform/HttpClient.h"

#include "base/Strings.h"

namespace pellora {

std::optional<std::string> HttpResponse::header(const std::string& name) const {
    auto found = headers.find(asciiLowercase(name));
    if (found == headers.end()) return std::nullopt;
    return found->second;
}

namespace {

// Suspends until the request completes and forwards the task's cancellation to it.
class FetchAwaiter {
public:
    FetchAwaiter(HttpClient& client, HttpRequest request)
        : client_(client), request_(std::move(request)) {}
    bool await_ready() noexcept { return false; }
    template <typename P>
    bool await_suspend(std::coroutine_handle<P> handle) {
        return suspend(handle, detail::contextOf(handle));
    }
    HttpResult await_resume() {
        if (context_) context_->removeOnCancel(token_);
        return std::move(*state_->result);
    }

private:
    struct State {
        std::coroutine_handle<> handle;
        bool starting = true;
        std::optional<HttpResult> result;
    };

    bool suspend(std::coroutine_handle<> handle, TaskContext* context) {
        state_->handle = handle;
        auto state = state_;
        auto request = client_.get(request_, [state](HttpResult result) {
            if (state->result) return;
            state->result = std::move(result);
            if (!state->starting) state->handle.resume();
        });
        state_->starting = false;
        if (state_->result) return false;
        if (context && context->isCancelled()) {
            request->cancel();
        } else if (context) {
            context_ = context;
            token_ = context->onCancel([request] { request->cancel(); });
        }
        return true;
    }

    HttpClient& client_;
    HttpRequest request_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
    TaskContext* context_ = nullptr;
    std::size_t token_ = 0;
};

}  // namespace

Task<HttpResult> fetch(HttpClient& client, HttpRequest request) {
    FetchAwaiter awaiter(client, std::move(request));  // named: see gcc 12 note in WorkQueue.h
    auto result = co_await awaiter;
    co_return result;
}

}  // namespace pellora
