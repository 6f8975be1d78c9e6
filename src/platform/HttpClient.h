// GET requests over HTTP(S), the platform's URL loader: request and resource time-outs,
// redirects never followed (a 3xx answer is delivered as the response), status, headers
// and body, and transport failures with the URL-loading error codes. Requests run off the
// main thread; completions arrive on the main loop. Owned by main() (or a test), shared by
// everything that talks HTTP.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "base/Task.h"

namespace pellora {

struct HttpRequest {
    std::string url;
    std::map<std::string, std::string> headers;
    // Longest silence (connecting, or between received bytes) before the request fails
    // with timedOut.
    double requestTimeout = 60;
    // Longest time the whole exchange may take.
    double resourceTimeout = 7 * 24 * 3600;
};

// A failure below HTTP, carrying the URL-loading error code and its description.
struct HttpTransportError {
    static constexpr int cancelled = -999;
    static constexpr int badURL = -1000;
    static constexpr int timedOut = -1001;
    static constexpr int unsupportedURL = -1002;
    static constexpr int cannotFindHost = -1003;
    static constexpr int cannotConnectToHost = -1004;
    static constexpr int networkConnectionLost = -1005;
    static constexpr int badServerResponse = -1011;
    static constexpr int secureConnectionFailed = -1200;
    static constexpr int serverCertificateHasBadDate = -1201;
    static constexpr int serverCertificateUntrusted = -1202;
    static constexpr int serverCertificateHasUnknownRoot = -1203;
    static constexpr int serverCertificateNotYetValid = -1204;
    static constexpr int clientCertificateRejected = -1205;
    static constexpr int clientCertificateRequired = -1206;

    int code = 0;
    std::string description;

    static constexpr const char* domain = "NSURLErrorDomain";
    bool isSecureConnectionFailure() const { return code <= -1200 && code >= -1206; }
};

struct HttpResponse {
    std::string url;  // the URL that answered
    int statusCode = 0;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    std::optional<std::string> header(const std::string& name) const;
};

// Either a response or a transport error.
struct HttpResult {
    std::optional<HttpResponse> response;
    std::optional<HttpTransportError> error;
};

class HttpClient {
public:
    // Cancels its request when cancel() is called; the completion then reports cancelled
    // unless the answer had already arrived.
    class Cancellable {
    public:
        virtual ~Cancellable() = default;
        virtual void cancel() = 0;
    };

    virtual ~HttpClient() = default;
    // Starts a GET; `completion` runs once on the main loop. Called on the main thread.
    virtual std::shared_ptr<Cancellable> get(const HttpRequest& request,
                                             std::function<void(HttpResult)> completion) = 0;
};

// Awaits one GET. Cancelling the awaiting task cancels the request, which then completes
// with the cancelled error.
Task<HttpResult> fetch(HttpClient& client, HttpRequest request);

}  // namespace pellora
