// UserDefaults kept in a property list file, by default
// "$HOME/Library/Preferences/com.pellora.shell.plist". Every change is written at once
// (atomically), so nothing set is lost when the process dies. Main thread only; owned by
// main().
#pragma once

#include <filesystem>

#include "platform/UserDefaults.h"
#include "platform/linux/PlistDocument.h"

namespace pellora {

class PlistUserDefaults final : public UserDefaults {
public:
    // The standard file under $HOME.
    PlistUserDefaults();
    // A file of the caller's choice. A missing or corrupt file starts empty.
    explicit PlistUserDefaults(std::filesystem::path file);

    static std::filesystem::path standardFile();
    const std::filesystem::path& file() const { return file_; }

    std::optional<bool> boolForKey(const std::string& key) const override;
    std::optional<std::string> stringForKey(const std::string& key) const override;
    std::optional<Data> dataForKey(const std::string& key) const override;

    void setBool(const std::string& key, bool value) override;
    void setString(const std::string& key, const std::string& value) override;
    void setData(const std::string& key, const Data& value) override;
    void removeObject(const std::string& key) override;

    bool synchronize() override;
    void removePersistentDomain() override;

private:
    void store(const std::string& key, plist_t value);

    std::filesystem::path file_;
    PlistDocument values_;
};

}  // namespace pellora
