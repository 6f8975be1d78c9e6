#include "FakeUserDefaults.h"

namespace pellora {

namespace {

template <typename T>
std::optional<T> valueOf(const std::map<std::string, FakeUserDefaults::Value>& values,
                         const std::string& key) {
    auto found = values.find(key);
    if (found == values.end()) return std::nullopt;
    if (const T* value = std::get_if<T>(&found->second)) return *value;
    return std::nullopt;
}

}  // namespace

std::optional<bool> FakeUserDefaults::boolForKey(const std::string& key) const {
    return valueOf<bool>(values, key);
}

std::optional<std::string> FakeUserDefaults::stringForKey(const std::string& key) const {
    return valueOf<std::string>(values, key);
}

std::optional<UserDefaults::Data> FakeUserDefaults::dataForKey(const std::string& key) const {
    return valueOf<Data>(values, key);
}

void FakeUserDefaults::setBool(const std::string& key, bool value) {
    values[key] = value;
    ++writeCount;
}

void FakeUserDefaults::setString(const std::string& key, const std::string& value) {
    values[key] = value;
    ++writeCount;
}

void FakeUserDefaults::setData(const std::string& key, const Data& value) {
    values[key] = value;
    ++writeCount;
}

void FakeUserDefaults::removeObject(const std::string& key) {
    values.erase(key);
    ++writeCount;
}

bool FakeUserDefaults::synchronize() {
    ++synchronizeCount;
    return synchronizeResult;
}

void FakeUserDefaults::removePersistentDomain() {
    values.clear();
    ++removeDomainCount;
}

std::optional<std::string> FakeUserDefaults::dataAsString(const std::string& key) const {
    auto data = dataForKey(key);
    if (!data) return std::nullopt;
    return std::string(data->begin(), data->end());
}

void FakeUserDefaults::setDataString(const std::string& key, const std::string& text) {
    setData(key, Data(text.begin(), text.end()));
}

}  // namespace pellora
