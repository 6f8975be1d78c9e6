#include "windows/OriginRules.h"

#include "base/Url.h"

namespace pellora {

namespace {

std::optional<int> effectivePort(const Url& url, bool otherSchemesDefaultTo80) {
    if (url.port) return url.port;
    std::string scheme = asciiLowercase(url.scheme);
    if (scheme == "http") return 80;
    if (scheme == "https") return 443;
    if (otherSchemesDefaultTo80) return 80;
    return std::nullopt;
}

}  // namespace

bool sameOrigin(const std::string& a, const std::string& b) {
    auto left = Url::parse(a);
    auto right = Url::parse(b);
    if (!left || !right || !left->host || !right->host) return false;
    if (asciiLowercase(left->scheme) != asciiLowercase(right->scheme)) return false;
    if (asciiLowercase(*left->host) != asciiLowercase(*right->host)) return false;
    return effectivePort(*left, false) == effectivePort(*right, false);
}

std::optional<std::string> originKey(const std::string& url) {
    auto parsed = Url::parse(url);
    if (!parsed || !parsed->host) return std::nullopt;
    int port = *effectivePort(*parsed, true);
    return asciiLowercase(parsed->scheme) + "://" + asciiLowercase(*parsed->host) + ":" +
           std::to_string(port);
}

bool isIgnorableNavigationError(const WebError& error) {
    return (error.domain == kURLErrorDomain && error.code == -999) ||
           (error.domain == kWebKitErrorDomain && error.code == 102);
}

bool isSecureConnectionFailure(const WebError& error) {
    return error.domain == kURLErrorDomain && error.code >= -1206 && error.code <= -1200;
}

}  // namespace pellora
