#include "platform/linux/CurlHttpClient.h"

#include <curl/curl.h>
#include <openssl/x509_vfy.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

#include "base/EventLoop.h"
#include "base/Strings.h"

namespace pellora {

namespace {

using Clock = std::chrono::steady_clock;

struct Exchange {
    const std::atomic<bool>* cancelled = nullptr;
    std::chrono::duration<double> idleLimit{60};
    Clock::time_point lastActivity = Clock::now();
    bool idleTimedOut = false;
    HttpResponse response;
};

size_t onBody(char* data, size_t size, size_t count, void* context) {
    auto* exchange = static_cast<Exchange*>(context);
    exchange->response.body.append(data, size * count);
    exchange->lastActivity = Clock::now();
    return size * count;
}

std::string trimmed(const std::string& text) {
    auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return {};
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

size_t onHeader(char* data, size_t size, size_t count, void* context) {
    auto* exchange = static_cast<Exchange*>(context);
    const std::string line(data, size * count);
    exchange->lastActivity = Clock::now();
    if (line.starts_with("HTTP/")) {
        exchange->response.headers.clear();  // an interim answer's headers do not count
    } else if (auto colon = line.find(':'); colon != std::string::npos) {
        exchange->response.headers[asciiLowercase(trimmed(line.substr(0, colon)))] = trimmed(line.substr(colon + 1));
    }
    return size * count;
}

std::optional<CURLcode> finishedTransfer(CURLM* multi) {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE) return message->data.result;
    }
    return std::nullopt;
}

// Runs the transfer in short polls so that cancellation and the silence limit are noticed
// within a few tens of milliseconds; curl's own blocking loop looks at them only about once
// a second, which let a silence of twice the limit pass unnoticed.
CURLcode drive(CURL* curl, Exchange& exchange) {
    constexpr int pollMilliseconds = 20;
    CURLM* multi = curl_multi_init();
    if (!multi) return CURLE_OUT_OF_MEMORY;
    curl_multi_add_handle(multi, curl);
    std::optional<CURLcode> outcome;
    while (!outcome) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) outcome = CURLE_RECV_ERROR;
        if (!outcome) outcome = finishedTransfer(multi);
        if (outcome) break;
        if (exchange.cancelled->load()) {
            outcome = CURLE_ABORTED_BY_CALLBACK;
        } else if (Clock::now() - exchange.lastActivity > exchange.idleLimit) {
            exchange.idleTimedOut = true;
            outcome = CURLE_ABORTED_BY_CALLBACK;
        } else {
            curl_multi_poll(multi, nullptr, 0, pollMilliseconds, nullptr);
        }
    }
    curl_multi_remove_handle(multi, curl);
    curl_multi_cleanup(multi);
    return *outcome;
}

std::string hostOf(CURL* curl) {
    std::string host;
    CURLU* url = curl_url();
    char* effective = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
    char* part = nullptr;
    if (effective && curl_url_set(url, CURLUPART_URL, effective, 0) == CURLUE_OK &&
        curl_url_get(url, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
        host = part;
        curl_free(part);
    }
    curl_url_cleanup(url);
    return host;
}

HttpTransportError transportError(int code, std::string description) {
    return HttpTransportError{code, std::move(description)};
}

HttpTransportError certificateError(CURL* curl) {
    long verify = 0;
    curl_easy_getinfo(curl, CURLINFO_SSL_VERIFYRESULT, &verify);
    const std::string pretending = " You might be connecting to a server that is pretending to be \u201c" +
                                   hostOf(curl) +
                                   "\u201d which could put your confidential information at risk.";
    switch (verify) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return transportError(HttpTransportError::serverCertificateHasBadDate,
                                  "The certificate for this server has expired." + pretending);
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return transportError(HttpTransportError::serverCertificateNotYetValid,
                                  "The certificate for this server is not yet valid." + pretending);
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
            return transportError(HttpTransportError::serverCertificateHasUnknownRoot,
                                  "The certificate for this server was signed by an unknown certifying authority." +
                                      pretending);
        default:
            return transportError(HttpTransportError::serverCertificateUntrusted,
                                  "The certificate for this server is invalid." + pretending);
    }
}

HttpTransportError mapCurlError(CURLcode code, CURL* curl, const Exchange& exchange) {
    switch (code) {
        case CURLE_ABORTED_BY_CALLBACK:
            if (exchange.idleTimedOut) return transportError(HttpTransportError::timedOut, "The request timed out.");
            return transportError(HttpTransportError::cancelled, "cancelled");
        case CURLE_OPERATION_TIMEDOUT:
            return transportError(HttpTransportError::timedOut, "The request timed out.");
        case CURLE_URL_MALFORMAT:
            return transportError(HttpTransportError::badURL, "bad URL");
        case CURLE_UNSUPPORTED_PROTOCOL:
            return transportError(HttpTransportError::unsupportedURL, "unsupported URL");
        case CURLE_COULDNT_RESOLVE_HOST:
            return transportError(HttpTransportError::cannotFindHost,
                                  "A server with the specified hostname could not be found.");
        case CURLE_COULDNT_CONNECT:
            return transportError(HttpTransportError::cannotConnectToHost, "Could not connect to the server.");
        case CURLE_PEER_FAILED_VERIFICATION:
            return certificateError(curl);
        case CURLE_SSL_CERTPROBLEM:
            return transportError(HttpTransportError::clientCertificateRejected,
                                  "The server \u201c" + hostOf(curl) + "\u201d did not accept the certificate.");
        case CURLE_SSL_CLIENTCERT:
            return transportError(HttpTransportError::clientCertificateRequired,
                                  "The server \u201c" + hostOf(curl) + "\u201d requires a client certificate.");
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_ENGINE_INITFAILED:
        case CURLE_USE_SSL_FAILED:
        case CURLE_SSL_SHUTDOWN_FAILED:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
            return transportError(HttpTransportError::secureConnectionFailed,
                                  "An SSL error has occurred and a secure connection to the server cannot be made.");
        case CURLE_GOT_NOTHING:
        case CURLE_WEIRD_SERVER_REPLY:
            return transportError(HttpTransportError::badServerResponse, "bad server response");
        default:
            return transportError(HttpTransportError::networkConnectionLost, "The network connection was lost.");
    }
}

long milliseconds(double seconds) {
    return static_cast<long>(std::clamp(seconds * 1000.0, 1.0, 2147483647.0));
}

class RequestState final : public HttpClient::Cancellable {
public:
    void cancel() override { cancelled.store(true); }
    std::atomic<bool> cancelled{false};
};

}  // namespace

CurlHttpClient::CurlHttpClient() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpResult CurlHttpClient::perform(const HttpRequest& request, const std::atomic<bool>& cancelled) {
    HttpResult result;
    if (cancelled.load()) {
        result.error = transportError(HttpTransportError::cancelled, "cancelled");
        return result;
    }
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.error = transportError(HttpTransportError::networkConnectionLost, "The network connection was lost.");
        return result;
    }
    Exchange exchange;
    exchange.cancelled = &cancelled;
    exchange.idleLimit = std::chrono::duration<double>(request.requestTimeout);
    curl_slist* headers = nullptr;
    for (const auto& [name, value] : request.headers) headers = curl_slist_append(headers, (name + ": " + value).c_str());

    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, milliseconds(request.requestTimeout));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, milliseconds(request.resourceTimeout));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &exchange);

    CURLcode code = drive(curl, exchange);
    if (code == CURLE_OK) {
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        char* effective = nullptr;
        curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
        exchange.response.statusCode = static_cast<int>(status);
        exchange.response.url = effective ? effective : request.url;
        result.response = std::move(exchange.response);
    } else {
        result.error = mapCurlError(code, curl, exchange);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return result;
}

std::shared_ptr<HttpClient::Cancellable> CurlHttpClient::get(const HttpRequest& request,
                                                             std::function<void(HttpResult)> completion) {
    auto state = std::make_shared<RequestState>();
    EventLoop* loop = &EventLoop::main();
    std::thread([state, request, completion = std::move(completion), loop]() mutable {
        HttpResult result = perform(request, state->cancelled);
        loop->postFromAnyThread([completion = std::move(completion), result = std::move(result)]() mutable {
            completion(std::move(result));
        });
    }).detach();
    return state;
}

}  // namespace pellora
