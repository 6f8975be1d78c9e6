#include "base/Uuid.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <random>

namespace pellora {

std::string makeUuidString() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
        std::uint64_t word = generator();
        for (std::size_t j = 0; j < 8; ++j) bytes[i + j] = static_cast<std::uint8_t>(word >> (8 * j));
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text.push_back('-');
        text.push_back(kHex[bytes[i] >> 4]);
        text.push_back(kHex[bytes[i] & 0x0F]);
    }
    return text;
}

std::optional<std::string> canonicalUuid(std::string_view text) {
    if (text.size() != 36) return std::nullopt;
    std::string result;
    result.reserve(36);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool dash = (i == 8 || i == 13 || i == 18 || i == 23);
        if (dash) {
            if (c != '-') return std::nullopt;
        } else if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        result.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return result;
}

}  // namespace pellora
