#include "connections/EngineConnectionStore.h"

#include <algorithm>
#include <array>

#include "base/Json.h"
#include "base/Uuid.h"
#include "connections/EngineOrigin.h"

namespace pellora {

namespace {

// A UUID member: absent when missing or null; failure (nullopt outer) when malformed.
std::optional<std::optional<std::string>> optionalUuid(const Json& object, const char* name) {
    auto found = object.find(name);
    if (found == object.end() || found->is_null()) return std::optional<std::string>{};
    if (!found->is_string()) return std::nullopt;
    auto uuid = canonicalUuid(found->get_ref<const std::string&>());
    if (!uuid) return std::nullopt;
    return std::optional<std::string>{*uuid};
}

std::optional<std::string> requiredString(const Json& object, const char* name) {
    auto found = object.find(name);
    if (found == object.end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

std::optional<EngineConnection> decodeConnection(const Json& json) {
    if (!json.is_object()) return std::nullopt;
    auto id = optionalUuid(json, "id");
    auto name = requiredString(json, "name");
    auto origin = requiredString(json, "origin");
    if (!id || !*id || !name || !origin) return std::nullopt;
    EngineConnection connection{**id, *name, *origin, std::nullopt};
    // A colour this version does not know is treated like a missing one (re-suggested at
    // load) rather than losing every saved connection.
    auto color = json.find("color");
    if (color != json.end() && color->is_string()) {
        connection.color = engineConnectionColorFromRawValue(color->get_ref<const std::string&>());
    } else if (color != json.end() && !color->is_null()) {
        return std::nullopt;
    }
    return connection;
}

Json encodeConnection(const EngineConnection& connection) {
    Json json = Json::object();
    json["id"] = connection.id;
    json["name"] = connection.name;
    json["origin"] = connection.origin;
    if (connection.color) json["color"] = rawValue(*connection.color);
    return json;
}

EngineConnectionColor leastUsedColor(const std::vector<EngineConnection>& connections) {
    std::array<std::size_t, kEngineConnectionColors.size()> uses{};
    for (const auto& connection : connections) {
        if (connection.color) ++uses[static_cast<std::size_t>(*connection.color)];
    }
    // min_element keeps the first of equal counts, which is the tie-break order.
    auto least = std::min_element(uses.begin(), uses.end());
    return kEngineConnectionColors[static_cast<std::size_t>(least - uses.begin())];
}

}  // namespace

EngineConnectionStore::EngineConnectionStore(UserDefaults& defaults) : defaults_(defaults) { load(); }

void EngineConnectionStore::load() {
    auto stored = defaults_.dataForKey(std::string(key));
    State loaded = (stored ? decode(*stored) : std::nullopt).value_or(State{});
    std::erase_if(loaded.connections, [](const EngineConnection& connection) {
        return canonicalOrigin(connection.origin) != connection.origin;
    });
    if (!loaded.defaultID) loaded.defaultID = loaded.selectedID;
    loaded.selectedID.reset();
    for (auto& connection : loaded.connections) {
        if (!connection.color) connection.color = leastUsedColor(loaded.connections);
    }
    state_ = std::move(loaded);
    save();
}

void EngineConnectionStore::save() {
    if (auto bytes = encode(state_)) defaults_.setData(std::string(key), *bytes);
}

EngineConnection EngineConnectionStore::upsert(EngineConnection connection) {
    connection.id = canonicalUuid(connection.id).value_or(makeUuidString());
    if (!connection.color) connection.color = suggestColor();
    auto existing = std::find_if(state_.connections.begin(), state_.connections.end(),
                                 [&](const EngineConnection& saved) { return saved.id == connection.id; });
    if (existing != state_.connections.end()) {
        *existing = connection;
    } else {
        state_.connections.push_back(connection);
    }
    save();
    return connection;
}

void EngineConnectionStore::remove(const std::string& id) {
    const std::string wanted = canonicalUuid(id).value_or(id);
    std::erase_if(state_.connections, [&](const EngineConnection& saved) { return saved.id == wanted; });
    if (state_.defaultID == wanted) state_.defaultID.reset();
    save();
}

EngineConnectionColor EngineConnectionStore::suggestColor() const {
    return leastUsedColor(state_.connections);
}

std::optional<EngineConnection> EngineConnectionStore::defaultConnection() const {
    if (!state_.defaultID) return std::nullopt;
    for (const auto& connection : state_.connections) {
        if (connection.id == *state_.defaultID) return connection;
    }
    return std::nullopt;
}

std::optional<EngineConnectionStore::State> EngineConnectionStore::decode(
    std::span<const std::uint8_t> bytes) {
    Json json = Json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (json.is_discarded() || !json.is_object()) return std::nullopt;
    auto connections = json.find("connections");
    if (connections == json.end() || !connections->is_array()) return std::nullopt;
    State state;
    for (const Json& element : *connections) {
        auto connection = decodeConnection(element);
        if (!connection) return std::nullopt;
        state.connections.push_back(std::move(*connection));
    }
    auto defaultID = optionalUuid(json, "defaultID");
    auto selectedID = optionalUuid(json, "selectedID");
    if (!defaultID || !selectedID) return std::nullopt;
    state.defaultID = *defaultID;
    state.selectedID = *selectedID;
    return state;
}

std::optional<UserDefaults::Data> EngineConnectionStore::encode(const State& state) {
    Json json = Json::object();
    json["connections"] = Json::array();
    for (const auto& connection : state.connections) json["connections"].push_back(encodeConnection(connection));
    if (state.defaultID) json["defaultID"] = *state.defaultID;
    if (state.selectedID) json["selectedID"] = *state.selectedID;
    try {
        std::string text = json.dump();
        return UserDefaults::Data(text.begin(), text.end());
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

}  // namespace pellora
