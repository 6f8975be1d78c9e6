#include "shell/DesktopLanguage.h"

#include <algorithm>
#include <vector>

#include "base/NotificationCenter.h"
#include "platform/UserDefaults.h"

namespace pellora {

namespace {

constexpr std::size_t kMaxLocaleLength = 35;

std::vector<std::string> lowerComponents(std::string_view locale) {
    std::vector<std::string> components;
    std::string current;
    for (char c : locale) {
        if (c == '-' || c == '_') {
            if (!current.empty()) components.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
        }
    }
    if (!current.empty()) components.push_back(std::move(current));
    return components;
}

}  // namespace

std::optional<std::string> normalizeLanguage(std::string_view locale) {
    if (locale.size() > kMaxLocaleLength) return std::nullopt;
    auto components = lowerComponents(locale);
    if (components.empty()) return std::nullopt;
    std::string code = components.front();
    if (code == "zh") {
        bool traditional = std::any_of(components.begin(), components.end(), [](const std::string& c) {
            return c == "hant" || c == "hk" || c == "tw";
        });
        code = traditional ? "zh-HK" : "zh";
    }
    if (!desktopLanguageIndex(code)) return std::nullopt;
    return code;
}

std::string desktopLanguage() {
    auto stored = UserDefaults::standard().stringForKey(std::string(kDesktopLocaleKey));
    if (stored) {
        if (auto code = normalizeLanguage(*stored)) return *code;
    }
    return "en";
}

bool setDesktopLocale(const std::string& locale, UserDefaults& defaults) {
    auto code = normalizeLanguage(locale);
    if (!code) return false;
    const std::string key(kDesktopLocaleKey);
    if (defaults.stringForKey(key) == code) return true;
    defaults.setString(key, *code);
    NotificationCenter::defaultCenter().post(std::string(kLanguageDidChangeNotification));
    return true;
}

std::optional<std::size_t> desktopLanguageIndex(std::string_view code) {
    auto found = std::find(kDesktopLanguages.begin(), kDesktopLanguages.end(), code);
    if (found == kDesktopLanguages.end()) return std::nullopt;
    return static_cast<std::size_t>(found - kDesktopLanguages.begin());
}

std::size_t textRecordIndex(std::string_view code) {
    std::string_view record = code.substr(0, 2);
    if (code.starts_with("zh")) {
        bool traditional = code.find("Hant") != std::string_view::npos ||
                           code.find("HK") != std::string_view::npos ||
                           code.find("TW") != std::string_view::npos;
        record = traditional ? "zh-HK" : "zh";
    }
    return desktopLanguageIndex(record).value_or(0);
}

}  // namespace pellora
