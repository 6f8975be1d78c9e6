// Typed Engine addresses: never crash, and a canonical origin is its own canonical form.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "connections/EngineOrigin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    auto origin = pellora::canonicalOrigin(input);
    if (!origin) return 0;
    if (!origin->starts_with("https://") && !origin->starts_with("http://")) __builtin_trap();
    if (origin->ends_with("/")) __builtin_trap();
    if (pellora::canonicalOrigin(*origin) != origin) __builtin_trap();
    return 0;
}
