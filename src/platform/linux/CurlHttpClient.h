// The URL loader on libcurl: each GET runs on a worker thread of its own and its result is
// handed back to the main loop. Redirects are never followed; transport failures carry the
// URL-loading error codes. Created on the main thread by main() and shared.
#pragma once

#include <atomic>

#include "platform/HttpClient.h"

namespace pellora {

class CurlHttpClient final : public HttpClient {
public:
    CurlHttpClient();
    std::shared_ptr<Cancellable> get(const HttpRequest& request,
                                     std::function<void(HttpResult)> completion) override;

    // The blocking exchange itself (what the worker runs); `cancelled` is polled during it.
    static HttpResult perform(const HttpRequest& request, const std::atomic<bool>& cancelled);
};

}  // namespace pellora
