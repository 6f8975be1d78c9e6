// Reported locales: never crash; a result is one of the nine codes and normalises to itself.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shell/DesktopLanguage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (pellora::textRecordIndex(input) >= pellora::kDesktopLanguageCount) __builtin_trap();
    auto code = pellora::normalizeLanguage(input);
    if (!code) return 0;
    if (size > 35 || !pellora::desktopLanguageIndex(*code)) __builtin_trap();
    if (pellora::normalizeLanguage(*code) != code) __builtin_trap();
    return 0;
}
