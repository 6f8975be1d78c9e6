// The application's status as the status item shows it.
#pragma once

namespace pellora {

enum class ShellStatus { starting, running, updateAvailable, error };

}  // namespace pellora
