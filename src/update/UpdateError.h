// The error of process inspection, termination and the time-limited child runner: the
// platform error type in the domain "Pellora.Update" with code 1 and a fixed English text.
// Value type; any thread.
#pragma once

#include <string>

#include "base/Error.h"

namespace pellora {

inline constexpr const char* kUpdateErrorDomain = "Pellora.Update";

Error updateError(std::string message);

}  // namespace pellora
