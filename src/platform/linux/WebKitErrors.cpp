#include "platform/linux/WebKitErrors.h"

#include <webkit2/webkit2.h>

namespace pellora {

namespace {

// URL-loading error codes.
constexpr int kUnknown = -1;
constexpr int kCancelled = -999;
constexpr int kUnsupportedURL = -1002;
constexpr int kTimedOut = -1001;
constexpr int kCannotFindHost = -1003;
constexpr int kCannotConnectToHost = -1004;
constexpr int kNetworkConnectionLost = -1005;
constexpr int kNotConnectedToInternet = -1009;
constexpr int kFileDoesNotExist = -1100;
constexpr int kSecureConnectionFailed = -1200;
constexpr int kServerCertificateHasBadDate = -1201;
constexpr int kServerCertificateUntrusted = -1202;
constexpr int kServerCertificateNotYetValid = -1204;

int urlCodeForNetworkError(int code) {
    switch (code) {
    case WEBKIT_NETWORK_ERROR_CANCELLED: return kCancelled;
    case WEBKIT_NETWORK_ERROR_TRANSPORT: return kNetworkConnectionLost;
    case WEBKIT_NETWORK_ERROR_UNKNOWN_PROTOCOL: return kUnsupportedURL;
    case WEBKIT_NETWORK_ERROR_FILE_DOES_NOT_EXIST: return kFileDoesNotExist;
    default: return kCannotConnectToHost;
    }
}

int urlCodeForIOError(int code) {
    switch (code) {
    case G_IO_ERROR_CANCELLED: return kCancelled;
    case G_IO_ERROR_TIMED_OUT: return kTimedOut;
    case G_IO_ERROR_CONNECTION_REFUSED:
    case G_IO_ERROR_HOST_UNREACHABLE: return kCannotConnectToHost;
    case G_IO_ERROR_NETWORK_UNREACHABLE: return kNotConnectedToInternet;
    case G_IO_ERROR_HOST_NOT_FOUND: return kCannotFindHost;
    case G_IO_ERROR_BROKEN_PIPE: return kNetworkConnectionLost;  // also CONNECTION_CLOSED
    case G_IO_ERROR_NOT_FOUND: return kFileDoesNotExist;
    default: return kUnknown;
    }
}

}  // namespace

WebError webErrorFromLoadError(const GError* error) {
    if (!error) return {kURLErrorDomain, kUnknown, "unknown error"};
    const std::string message = error->message ? error->message : "";
    if (error->domain == WEBKIT_POLICY_ERROR) return {kWebKitErrorDomain, error->code, message};
    if (error->domain == WEBKIT_NETWORK_ERROR) return {kURLErrorDomain, urlCodeForNetworkError(error->code), message};
    if (error->domain == G_IO_ERROR) return {kURLErrorDomain, urlCodeForIOError(error->code), message};
    if (error->domain == G_RESOLVER_ERROR) return {kURLErrorDomain, kCannotFindHost, message};
    if (error->domain == G_TLS_ERROR) return {kURLErrorDomain, kSecureConnectionFailed, message};
    return {kURLErrorDomain, kUnknown, message};
}

WebError webErrorFromTlsErrors(GTlsCertificateFlags errors, const char* uri) {
    int code = kSecureConnectionFailed;
    if (errors & (G_TLS_CERTIFICATE_UNKNOWN_CA | G_TLS_CERTIFICATE_BAD_IDENTITY)) {
        code = kServerCertificateUntrusted;
    } else if (errors & G_TLS_CERTIFICATE_EXPIRED) {
        code = kServerCertificateHasBadDate;
    } else if (errors & G_TLS_CERTIFICATE_NOT_ACTIVATED) {
        code = kServerCertificateNotYetValid;
    }
    return {kURLErrorDomain, code,
            std::string("The certificate for this server is invalid: ") + (uri ? uri : "")};
}

WebError scriptError(const GError* error) {
    const std::string message = error && error->message ? error->message : "script failed";
    if (error && error->domain == WEBKIT_JAVASCRIPT_ERROR &&
        error->code == WEBKIT_JAVASCRIPT_ERROR_INVALID_RESULT) {
        return {kScriptErrorDomain, kScriptUnsupportedResultCode, message};
    }
    return {kScriptErrorDomain, kScriptExceptionCode, message};
}

}  // namespace pellora
