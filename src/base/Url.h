// A parsed absolute URL: just what origin checks, path tests and request building need.
// Value type; any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/Strings.h"

namespace pellora {

struct Url {
    std::string scheme;                // as written
    std::optional<std::string> host;   // absent without an authority or with an empty host
    std::optional<int> port;           // absent when not written
    std::string path;                  // percent-encoded, as written
    std::optional<std::string> query;
    std::optional<std::string> fragment;

    // Absent when `text` has no scheme or is malformed (bad port, unclosed IPv6 bracket).
    static std::optional<Url> parse(std::string_view text);

    // The last non-empty path component, percent-decoded ("" for "/" or an empty path).
    std::string lastPathComponent() const;
};

// `url` with `component` appended to its path, keeping query and fragment
// ("http://h:1" + "compact-chat" → "http://h:1/compact-chat").
std::string appendingPathComponent(const std::string& url, const std::string& component);


}  // namespace pellora
