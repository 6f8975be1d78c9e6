#include "base/Url.h"

#include <cctype>
#include <charconv>

namespace pellora {

namespace {

bool isSchemeChar(char c, bool first) {
    if (std::isalpha(static_cast<unsigned char>(c))) return true;
    return !first && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.');
}

std::string percentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            int value = 0;
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
            out.push_back(static_cast<char>(value));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// Splits "host[:port]" (host may be a bracketed IPv6 literal). False when malformed.
bool parseHostPort(std::string_view hostPort, Url& url) {
    std::string_view host = hostPort;
    std::string_view port;
    if (!hostPort.empty() && hostPort.front() == '[') {
        auto close = hostPort.find(']');
        if (close == std::string_view::npos) return false;
        host = hostPort.substr(1, close - 1);
        auto rest = hostPort.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            port = rest.substr(1);
        }
    } else if (auto colon = hostPort.rfind(':'); colon != std::string_view::npos) {
        host = hostPort.substr(0, colon);
        port = hostPort.substr(colon + 1);
    }
    if (!port.empty()) {
        int value = 0;
        auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (error != std::errc() || end != port.data() + port.size() || value < 0 || value > 65535)
            return false;
        url.port = value;
    }
    if (!host.empty()) url.host = std::string(host);
    return true;
}

}  // namespace

std::optional<Url> Url::parse(std::string_view text) {
    auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0) return std::nullopt;
    for (std::size_t i = 0; i < colon; ++i)
        if (!isSchemeChar(text[i], i == 0)) return std::nullopt;
    Url url;
    url.scheme = std::string(text.substr(0, colon));
    std::string_view rest = text.substr(colon + 1);

    if (auto hash = rest.find('#'); hash != std::string_view::npos) {
        url.fragment = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    if (auto question = rest.find('?'); question != std::string_view::npos) {
        url.query = std::string(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    if (rest.substr(0, 2) == "//") {
        rest = rest.substr(2);
        auto slash = rest.find('/');
        std::string_view authority = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
        if (auto at = authority.rfind('@'); at != std::string_view::npos) authority = authority.substr(at + 1);
        if (!parseHostPort(authority, url)) return std::nullopt;
    }
    url.path = std::string(rest);
    return url;
}

std::string Url::lastPathComponent() const {
    std::string_view view = path;
    while (!view.empty() && view.back() == '/') view.remove_suffix(1);
    auto slash = view.rfind('/');
    return percentDecode(slash == std::string_view::npos ? view : view.substr(slash + 1));
}

std::string appendingPathComponent(const std::string& url, const std::string& component) {
    auto end = url.find_first_of("?#");
    std::string base = url.substr(0, end);
    std::string tail = end == std::string::npos ? "" : url.substr(end);
    // Past "scheme://authority" a path exists only once a slash follows the authority.
    auto authorityStart = base.find("://");
    bool hasPath = authorityStart != std::string::npos &&
                   base.find('/', authorityStart + 3) != std::string::npos;
    if (!hasPath || base.back() != '/') base += '/';
    return base + component + tail;
}

}  // namespace pellora
