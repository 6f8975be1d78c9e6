// Small text helpers shared by every layer. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace pellora {

// Lower-cases the ASCII letters of `text` and leaves every other byte alone (so UTF-8 and
// the locale never change a header name, scheme or host).
std::string asciiLowercase(std::string_view text);

}  // namespace pellora
