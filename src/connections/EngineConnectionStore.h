// The saved remote Engines and the user's default Engine, persisted as UTF-8 JSON (a data
// value) under "pellora.engineConnections.v1" in the user defaults. Loading drops entries
// whose origin is no longer acceptable, migrates the old selection into the default and
// gives every connection a colour; every change is saved at once. Main thread only; one
// per process, created at launch and shared by the shell controller and the connections
// panel.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "connections/EngineConnection.h"
#include "platform/UserDefaults.h"

namespace pellora {

class EngineConnectionStore {
public:
    struct State {
        std::vector<EngineConnection> connections;
        // Absent: the local Engine is the default.
        std::optional<std::string> defaultID;
        // Written by older versions; only read when migrating, absent after load.
        std::optional<std::string> selectedID;

        bool operator==(const State&) const = default;
    };

    static constexpr std::string_view key = "pellora.engineConnections.v1";

    // Loads, migrates and saves at once.
    explicit EngineConnectionStore(UserDefaults& defaults);

    // Read and assign directly; call save() after a change.
    State& state() { return state_; }
    const State& state() const { return state_; }

    void save();
    // Replaces the saved connection with the same id in place, or appends it; fills in a
    // missing colour (suggestColor) and a missing or malformed id (a new UUID). Answers the
    // connection as saved.
    EngineConnection upsert(EngineConnection connection);
    // Removes every connection with `id`; the local Engine becomes the default when it was.
    void remove(const std::string& id);
    // The colour fewest saved connections use, ties going to the earlier colour.
    EngineConnectionColor suggestColor() const;
    // The saved connection named by defaultID; absent for the local Engine or a default
    // that names no saved connection.
    std::optional<EngineConnection> defaultConnection() const;

    // The persisted form. decode answers absent for anything unreadable.
    static std::optional<State> decode(std::span<const std::uint8_t> bytes);
    static std::optional<UserDefaults::Data> encode(const State& state);

private:
    void load();

    UserDefaults& defaults_;
    State state_;
};

}  // namespace pellora
