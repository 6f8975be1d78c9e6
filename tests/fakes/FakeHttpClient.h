// An HTTP client that answers from a test-supplied function, asynchronously on the main
// loop like the real one. Records requests and cancellations.
#pragma once

#include <functional>
#include <vector>

#include "platform/HttpClient.h"

namespace pellora {

class FakeHttpClient final : public HttpClient {
public:
    // Default answer: cannot connect.
    std::function<HttpResult(const HttpRequest&)> respond;
    std::vector<HttpRequest> requests;
    int cancellations = 0;

    static HttpResult status(int code, std::string body = {});
    static HttpResult failure(int code, std::string description = "failure");

    std::shared_ptr<Cancellable> get(const HttpRequest& request,
                                     std::function<void(HttpResult)> completion) override;
};

}  // namespace pellora
