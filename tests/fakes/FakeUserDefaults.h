// In-memory user defaults for tests: keeps typed values in a map, counts synchronize
// calls and answers what the test sets. Main thread only; owned by the test.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>

#include "platform/UserDefaults.h"

namespace pellora {

class FakeUserDefaults final : public UserDefaults {
public:
    using Value = std::variant<bool, std::string, Data>;

    std::optional<bool> boolForKey(const std::string& key) const override;
    std::optional<std::string> stringForKey(const std::string& key) const override;
    std::optional<Data> dataForKey(const std::string& key) const override;

    void setBool(const std::string& key, bool value) override;
    void setString(const std::string& key, const std::string& value) override;
    void setData(const std::string& key, const Data& value) override;
    void removeObject(const std::string& key) override;

    bool synchronize() override;
    void removePersistentDomain() override;

    bool contains(const std::string& key) const { return values.count(key) != 0; }
    // The data value under `key` read as text (JSON documents, for example); absent when
    // the key holds no data.
    std::optional<std::string> dataAsString(const std::string& key) const;
    void setDataString(const std::string& key, const std::string& text);

    std::map<std::string, Value> values;
    int writeCount = 0;            // every set or remove
    int synchronizeCount = 0;
    int removeDomainCount = 0;
    bool synchronizeResult = true;  // what synchronize() answers
};

// Installs `defaults` as the process's standard user defaults for the life of the scope.
class StandardUserDefaultsScope {
public:
    explicit StandardUserDefaultsScope(UserDefaults& defaults) { UserDefaults::setStandard(&defaults); }
    ~StandardUserDefaultsScope() { UserDefaults::setStandard(nullptr); }
    StandardUserDefaultsScope(const StandardUserDefaultsScope&) = delete;
    StandardUserDefaultsScope& operator=(const StandardUserDefaultsScope&) = delete;
};

}  // namespace pellora
