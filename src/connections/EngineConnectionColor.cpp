#include "connections/EngineConnectionColor.h"

namespace pellora {

namespace {
constexpr std::array<std::string_view, kEngineConnectionColors.size()> kRawValues = {
    "blue", "green", "amber", "rose", "lavender", "teal"};
}

std::string_view rawValue(EngineConnectionColor color) {
    return kRawValues[static_cast<std::size_t>(color)];
}

std::optional<EngineConnectionColor> engineConnectionColorFromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < kRawValues.size(); ++i) {
        if (kRawValues[i] == raw) return kEngineConnectionColors[i];
    }
    return std::nullopt;
}

}  // namespace pellora
