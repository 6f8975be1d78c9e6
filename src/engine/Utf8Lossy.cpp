#include "engine/Utf8Lossy.h"

#include <cstdint>

namespace pellora {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the valid sequence starting at `at`, or 0 when it is invalid (overlong forms,
// surrogates and values above U+10FFFF included).
std::size_t validSequenceLength(std::string_view bytes, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead == 0xE0) { length = 3; low = 0xA0; }
    else if (lead >= 0xE1 && lead <= 0xEC) length = 3;
    else if (lead == 0xED) { length = 3; high = 0x9F; }
    else if (lead >= 0xEE && lead <= 0xEF) length = 3;
    else if (lead == 0xF0) { length = 4; low = 0x90; }
    else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
    else if (lead == 0xF4) { length = 4; high = 0x8F; }
    else return 0;
    if (at + length > bytes.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    }
    return length;
}

}  // namespace

std::string decodeUtf8Lossy(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t length = validSequenceLength(bytes, at);
        if (length == 0) {
            text += kReplacement;
            ++at;
        } else {
            text.append(bytes.substr(at, length));
            at += length;
        }
    }
    return text;
}

}  // namespace pellora
