#include "FakeHttpClient.h"

#include "base/EventLoop.h"

namespace pellora {

namespace {

struct FakeRequest final : HttpClient::Cancellable {
    FakeHttpClient* owner = nullptr;
    bool cancelled = false;
    bool answered = false;
    void cancel() override {
        if (cancelled || answered) return;
        cancelled = true;
        ++owner->cancellations;
    }
};

}  // namespace

HttpResult FakeHttpClient::status(int code, std::string body) {
    HttpResult result;
    result.response = HttpResponse{};
    result.response->statusCode = code;
    result.response->body = std::move(body);
    return result;
}

HttpResult FakeHttpClient::failure(int code, std::string description) {
    HttpResult result;
    result.error = HttpTransportError{code, std::move(description)};
    return result;
}

std::shared_ptr<HttpClient::Cancellable> FakeHttpClient::get(const HttpRequest& request,
                                                             std::function<void(HttpResult)> completion) {
    requests.push_back(request);
    auto pending = std::make_shared<FakeRequest>();
    pending->owner = this;
    HttpResult answer = respond ? respond(request)
                                : failure(HttpTransportError::cannotConnectToHost, "Could not connect to the server.");
    EventLoop::main().post([pending, answer = std::move(answer), completion = std::move(completion)]() mutable {
        pending->answered = true;
        if (pending->cancelled) answer = failure(HttpTransportError::cancelled, "cancelled");
        completion(std::move(answer));
    });
    return pending;
}

}  // namespace pellora
