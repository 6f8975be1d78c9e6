// Random (version 4) UUIDs in upper-case canonical form, as the platform prints them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellora {

std::string makeUuidString();
// The canonical upper-case form of a UUID written in either case; absent when malformed.
std::optional<std::string> canonicalUuid(std::string_view text);

}  // namespace pellora
