#include "platform/linux/PlistUserDefaults.h"

#include <cstdlib>

#include "base/Log.h"

namespace pellora {

PlistUserDefaults::PlistUserDefaults() : PlistUserDefaults(standardFile()) {}

PlistUserDefaults::PlistUserDefaults(std::filesystem::path file)
    : file_(std::move(file)),
      values_(PlistDocument::readDictionary(file_).value_or(PlistDocument())) {}

std::filesystem::path PlistUserDefaults::standardFile() {
    const char* home = std::getenv("HOME");
    const std::filesystem::path base = home && *home ? home : ".";
    return base / "Library" / "Preferences" / "com.pellora.shell.plist";
}

std::optional<bool> PlistUserDefaults::boolForKey(const std::string& key) const {
    plist_t node = values_.item(key);
    if (!node || plist_get_node_type(node) != PLIST_BOOLEAN) return std::nullopt;
    uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value != 0;
}

std::optional<std::string> PlistUserDefaults::stringForKey(const std::string& key) const {
    plist_t node = values_.item(key);
    if (!node || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
    char* value = nullptr;
    plist_get_string_val(node, &value);
    std::string result = value ? value : "";
    free(value);
    return result;
}

std::optional<UserDefaults::Data> PlistUserDefaults::dataForKey(const std::string& key) const {
    plist_t node = values_.item(key);
    if (!node || plist_get_node_type(node) != PLIST_DATA) return std::nullopt;
    char* bytes = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &bytes, &length);
    Data result(bytes, bytes + length);
    free(bytes);
    return result;
}

void PlistUserDefaults::setBool(const std::string& key, bool value) {
    store(key, plist_new_bool(value ? 1 : 0));
}

void PlistUserDefaults::setString(const std::string& key, const std::string& value) {
    store(key, plist_new_string(value.c_str()));
}

void PlistUserDefaults::setData(const std::string& key, const Data& value) {
    store(key, plist_new_data(reinterpret_cast<const char*>(value.data()), value.size()));
}

void PlistUserDefaults::removeObject(const std::string& key) {
    values_.removeItem(key);
    synchronize();
}

bool PlistUserDefaults::synchronize() {
    if (values_.writeAtomically(file_)) return true;
    logLine("[shell] could not write user defaults to " + file_.string());
    return false;
}

void PlistUserDefaults::removePersistentDomain() {
    values_.clear();
    std::error_code error;
    std::filesystem::remove(file_, error);
}

void PlistUserDefaults::store(const std::string& key, plist_t value) {
    values_.setItem(key, value);
    synchronize();
}

}  // namespace pellora
