// The desktop language: the language the Engine's web interface reports, normalised to one
// of nine codes and kept in the user defaults. Texts are looked up in it at every use;
// English until the Engine has reported a language. Main thread only; free functions over
// the standard user defaults and the default notification center.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pellora {

class UserDefaults;

// The order of every text table.
inline constexpr std::array<std::string_view, 9> kDesktopLanguages = {
    "en", "zh", "zh-HK", "ja", "ko", "de", "fr", "es", "pt"};
inline constexpr std::size_t kDesktopLanguageCount = kDesktopLanguages.size();

inline constexpr std::string_view kDesktopLocaleKey = "pellora.desktop.locale";
inline constexpr std::string_view kLanguageDidChangeNotification =
    "PelloraConnectionLanguageDidChange";

// One of the nine codes for a reported locale (en_US → "en", zh-Hant → "zh-HK", pt-BR →
// "pt"); absent for unsupported languages, empty input and anything over 35 characters.
std::optional<std::string> normalizeLanguage(std::string_view locale);

// The stored preference normalised, else "en".
std::string desktopLanguage();

// Stores the normalised code and posts the change notification, but only when the stored
// string differs; false (nothing changed) when the locale is not supported.
bool setDesktopLocale(const std::string& locale, UserDefaults& defaults);

// The position of `code` in kDesktopLanguages; absent when it is not one of the nine.
std::optional<std::size_t> desktopLanguageIndex(std::string_view code);

// The text record a language code selects: "zh-HK" for codes starting with "zh" that
// contain "Hant", "HK" or "TW", "zh" for other "zh" codes, otherwise the first two
// characters; English when that is not one of the nine. The position in kDesktopLanguages.
std::size_t textRecordIndex(std::string_view code);

}  // namespace pellora
