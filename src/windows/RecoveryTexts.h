// The keyed texts of the recovery view: the bundle's "connection-recovery" JSON resource
// (language → key → text), read once, then built-in English texts. Main thread; one per
// process, owned by main() and shared by every Engine window.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace pellora {

class RecoveryTexts {
public:
    // `resource` absent, unreadable or not a JSON object of objects of strings: counts as
    // empty (only the built-in texts remain).
    explicit RecoveryTexts(const std::optional<std::filesystem::path>& resource);

    // The text for `key` in `language`, else in "en", else the built-in English text;
    // absent when none of them has the key.
    std::optional<std::string> lookup(const std::string& key, const std::string& language) const;

private:
    std::map<std::string, std::map<std::string, std::string>> table_;
};

}  // namespace pellora
