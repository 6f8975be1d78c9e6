// The title-bar colour of a saved remote Engine. The declaration order is the order of the
// colour picker and the tie-break order of colour suggestion. Plain value; any thread.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace pellora {

enum class EngineConnectionColor { blue, green, amber, rose, lavender, teal };

inline constexpr std::array<EngineConnectionColor, 6> kEngineConnectionColors = {
    EngineConnectionColor::blue, EngineConnectionColor::green,    EngineConnectionColor::amber,
    EngineConnectionColor::rose, EngineConnectionColor::lavender, EngineConnectionColor::teal};

// "blue", "green", ... as persisted.
std::string_view rawValue(EngineConnectionColor color);
// Absent for any other string.
std::optional<EngineConnectionColor> engineConnectionColorFromRawValue(std::string_view raw);

}  // namespace pellora
