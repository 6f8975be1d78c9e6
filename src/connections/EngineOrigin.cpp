#include "connections/EngineOrigin.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>

#include "base/Strings.h"
#include "connections/ConnectionError.h"

namespace pellora {

namespace {

constexpr unsigned kMaxPort = 65535;

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isUnreserved(char c) {
    return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}
bool isSubDelim(char c) { return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos; }
bool isGenDelim(char c) { return std::string_view(":/?#[]@").find(c) != std::string_view::npos; }
bool isUriChar(char c) { return isUnreserved(c) || isSubDelim(c) || isGenDelim(c); }

// White space and line breaks, including the Unicode spaces a pasted address may carry.
constexpr std::array<std::string_view, 19> kUnicodeSpaces = {
    "\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006",
    "\u2007", "\u2008", "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000"};

std::size_t spaceAt(std::string_view text, bool atEnd) {
    if (text.empty()) return 0;
    char c = atEnd ? text.back() : text.front();
    if (c == ' ' || (c >= '\t' && c <= '\r')) return 1;
    auto matches = [&](std::string_view space) {
        return atEnd ? text.ends_with(space) : text.starts_with(space);
    };
    for (auto space : kUnicodeSpaces) if (matches(space)) return space.size();
    return 0;
}

std::string_view trimmed(std::string_view text) {
    while (std::size_t n = spaceAt(text, false)) text.remove_prefix(n);
    while (std::size_t n = spaceAt(text, true)) text.remove_suffix(n);
    return text;
}

bool wellFormed(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return false;
            i += 2;
        } else if (!isUriChar(text[i])) {
            return false;
        }
    }
    return true;
}

// "https://host" → "https"; absent when there is no valid scheme.
std::optional<std::string_view> schemeOf(std::string_view text) {
    std::size_t colon = text.find(':');
    if (colon == 0 || colon == std::string_view::npos || !isAlpha(text[0])) return std::nullopt;
    for (char c : text.substr(0, colon)) {
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
    }
    return text.substr(0, colon);
}

bool isUnspecifiedIPv6(const std::string& literal) {
    std::array<unsigned char, 16> address{};
    if (inet_pton(AF_INET6, literal.c_str(), address.data()) != 1) return false;
    return std::all_of(address.begin(), address.end(), [](unsigned char b) { return b == 0; });
}

struct HostPort {
    std::string host;                 // lower-cased; IPv6 literals keep their brackets
    std::optional<std::string_view> port;  // digits after ":" (absent or empty: none given)
};

std::optional<HostPort> splitAuthority(std::string_view authority) {
    HostPort result;
    std::string_view rest;
    if (authority.starts_with('[')) {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        std::string inner = asciiLowercase(authority.substr(1, close - 1));
        std::array<unsigned char, 16> address{};
        if (inet_pton(AF_INET6, inner.c_str(), address.data()) != 1) return std::nullopt;
        if (isUnspecifiedIPv6(inner)) return std::nullopt;
        result.host = "[" + inner + "]";
        rest = authority.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return std::nullopt;
    } else {
        std::size_t colon = authority.find(':');
        std::string_view host = authority.substr(0, colon);
        if (!std::all_of(host.begin(), host.end(), [](char c) { return isUnreserved(c) || isSubDelim(c); })) {
            return std::nullopt;
        }
        result.host = asciiLowercase(host);
        if (colon != std::string_view::npos) rest = authority.substr(colon);
    }
    if (!rest.empty()) result.port = rest.substr(1);
    return result;
}

// The explicit port, 0 when none is given; absent when it is not a number in 1…65535.
std::optional<unsigned> portNumber(std::optional<std::string_view> digits) {
    if (!digits || digits->empty()) return 0u;
    unsigned value = 0;
    for (char c : *digits) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > kMaxPort) return std::nullopt;
    }
    if (value == 0) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::string> canonicalOrigin(std::string_view text) {
    text = trimmed(text);
    if (!wellFormed(text)) return std::nullopt;
    auto scheme = schemeOf(text);
    if (!scheme) return std::nullopt;
    std::string_view rest = text.substr(scheme->size() + 1);
    if (!rest.starts_with("//")) return std::nullopt;  // no host
    rest.remove_prefix(2);
    std::size_t authorityEnd = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, authorityEnd);
    std::string_view path = authorityEnd == std::string_view::npos ? "" : rest.substr(authorityEnd);
    if (path.find_first_of("?#") != std::string_view::npos) return std::nullopt;
    if (!path.empty() && path != "/") return std::nullopt;
    if (authority.find('@') != std::string_view::npos) return std::nullopt;

    auto hostPort = splitAuthority(authority);
    if (!hostPort || hostPort->host.empty() || hostPort->host == "0.0.0.0") return std::nullopt;
    auto port = portNumber(hostPort->port);
    if (!port) return std::nullopt;

    std::string lowerScheme = asciiLowercase(*scheme);
    unsigned defaultPort;
    if (lowerScheme == "https") {
        defaultPort = 443;
    } else if (lowerScheme == "http") {
        defaultPort = 80;
    } else {
        return std::nullopt;
    }
    std::string origin = lowerScheme + "://" + hostPort->host;
    if (*port != 0 && *port != defaultPort) origin += ":" + std::to_string(*port);
    return origin;
}

std::string normalizeOrigin(std::string_view text) {
    auto origin = canonicalOrigin(text);
    if (!origin) throw ConnectionError::address();
    return *origin;
}

}  // namespace pellora
