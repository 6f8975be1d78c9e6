#include "windows/RecoveryTexts.h"

#include <fstream>
#include <sstream>

#include "base/Json.h"

namespace pellora {

namespace {

const std::map<std::string, std::string>& builtInTexts() {
    static const std::map<std::string, std::string> texts = {
        {"title", "Temporarily unable to connect to Pellora"},
        {"local", "Unable to connect to Pellora on this computer. Please retry."},
        {"remote", "Unable to connect to the current Pellora. Please retry."},
        {"retry", "Retry"},
        {"retrying", "Reconnecting"},
    };
    return texts;
}

std::optional<std::string> find(const std::map<std::string, std::string>& texts,
                                const std::string& key) {
    auto it = texts.find(key);
    if (it == texts.end()) return std::nullopt;
    return it->second;
}

}  // namespace

RecoveryTexts::RecoveryTexts(const std::optional<std::filesystem::path>& resource) {
    if (!resource) return;
    std::ifstream file(*resource, std::ios::binary);
    if (!file) return;
    std::stringstream buffer;
    buffer << file.rdbuf();
    Json document = Json::parse(buffer.str(), nullptr, false);
    if (!document.is_object()) return;
    decltype(table_) table;
    for (const auto& [language, entries] : document.items()) {
        if (!entries.is_object()) return;
        for (const auto& [key, text] : entries.items()) {
            if (!text.is_string()) return;
            table[language][key] = text.get<std::string>();
        }
    }
    table_ = std::move(table);
}

std::optional<std::string> RecoveryTexts::lookup(const std::string& key,
                                                 const std::string& language) const {
    for (const std::string& candidate : {language, std::string("en")}) {
        auto entry = table_.find(candidate);
        if (entry == table_.end()) continue;
        if (auto text = find(entry->second, key)) return text;
    }
    return find(builtInTexts(), key);
}

}  // namespace pellora
