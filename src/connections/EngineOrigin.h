// Turns a typed Engine address into its canonical origin: lower-case "https" or "http"
// scheme and host, no user, password, path, query or fragment, the port kept only when it
// is not the scheme's default, no trailing slash ("https://engine.example.com",
// "http://10.0.0.5:8080"). Pure functions; any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellora {

// The canonical origin, or absent when the address is not acceptable.
std::optional<std::string> canonicalOrigin(std::string_view text);

// The canonical origin; throws ConnectionError::address() when the address is refused.
std::string normalizeOrigin(std::string_view text);

}  // namespace pellora
