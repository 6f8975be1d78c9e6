// Typed values under string keys that survive the process (the platform's user defaults
// for the bundle identifier "com.pellora.shell"). Main thread only; owned by main() and
// handed to the objects that persist state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellora {

class UserDefaults {
public:
    using Data = std::vector<std::uint8_t>;
    virtual ~UserDefaults() = default;

    // Each getter answers absent when the key is missing or holds another type.
    virtual std::optional<bool> boolForKey(const std::string& key) const = 0;
    virtual std::optional<std::string> stringForKey(const std::string& key) const = 0;
    virtual std::optional<Data> dataForKey(const std::string& key) const = 0;

    virtual void setBool(const std::string& key, bool value) = 0;
    virtual void setString(const std::string& key, const std::string& value) = 0;
    virtual void setData(const std::string& key, const Data& value) = 0;
    virtual void removeObject(const std::string& key) = 0;

    // Writes pending changes to storage; false when that failed.
    virtual bool synchronize() = 0;
    // Removes every key of the application's domain (used when uninstalling).
    virtual void removePersistentDomain() = 0;

    // The standard user defaults of the process, installed by main() (or a test fixture).
    static UserDefaults& standard();
    static void setStandard(UserDefaults* defaults);
};

}  // namespace pellora
