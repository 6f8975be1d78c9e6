// Stored connection data of any shape: loading never crashes, and what it saves reads back
// as exactly the loaded state (so a load never writes data the next launch cannot read).
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>

#include "connections/EngineConnectionStore.h"
#include "connections/EngineOrigin.h"

namespace {

// Just enough user defaults for the store: data values in memory.
class MemoryDefaults final : public pellora::UserDefaults {
public:
    std::optional<bool> boolForKey(const std::string&) const override { return std::nullopt; }
    std::optional<std::string> stringForKey(const std::string&) const override { return std::nullopt; }
    std::optional<Data> dataForKey(const std::string& key) const override {
        auto found = data.find(key);
        if (found == data.end()) return std::nullopt;
        return found->second;
    }
    void setBool(const std::string&, bool) override {}
    void setString(const std::string&, const std::string&) override {}
    void setData(const std::string& key, const Data& value) override { data[key] = value; }
    void removeObject(const std::string& key) override { data.erase(key); }
    bool synchronize() override { return true; }
    void removePersistentDomain() override { data.clear(); }

    std::map<std::string, Data> data;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using pellora::EngineConnectionStore;
    (void)EngineConnectionStore::decode(std::span(bytes, size));

    MemoryDefaults defaults;
    const std::string key(EngineConnectionStore::key);
    defaults.data[key] = pellora::UserDefaults::Data(bytes, bytes + size);
    EngineConnectionStore store(defaults);

    const auto& state = store.state();
    if (state.selectedID) __builtin_trap();
    for (const auto& connection : state.connections) {
        if (!connection.color) __builtin_trap();
        if (pellora::canonicalOrigin(connection.origin) != connection.origin) __builtin_trap();
    }
    auto reread = EngineConnectionStore::decode(defaults.data.at(key));
    if (!reread || *reread != state) __builtin_trap();
    return 0;
}
