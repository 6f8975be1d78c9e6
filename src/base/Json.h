// JSON values that keep their keys in insertion order, so documents we write have the
// key order other programs and versions expect.
#pragma once

#include <nlohmann/json.hpp>

namespace pellora {

using Json = nlohmann::ordered_json;

}  // namespace pellora
