// Decoding bytes as UTF-8 with every invalid sequence replaced by U+FFFD, the way text
// read from child processes is turned into strings. Pure function; any thread.
#pragma once

#include <string>
#include <string_view>

namespace pellora {

std::string decodeUtf8Lossy(std::string_view bytes);

}  // namespace pellora
