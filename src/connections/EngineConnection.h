// A saved remote Engine: stable id (upper-case canonical UUID), display name, canonical
// origin ("https://host[:port]", no trailing slash) and title-bar colour. The local Engine
// is never an EngineConnection: an absent connection means "this computer". Plain value;
// any thread.
#pragma once

#include <optional>
#include <string>

#include "connections/EngineConnectionColor.h"

namespace pellora {

struct EngineConnection {
    std::string id;
    std::string name;
    std::string origin;
    // Absent only in data written by older versions; the store fills it in at load.
    std::optional<EngineConnectionColor> color;

    bool operator==(const EngineConnection&) const = default;
};

}  // namespace pellora
