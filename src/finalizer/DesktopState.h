// Removal of the application's per-user state (preferences, caches, saved state and, when
// the user asked, its data) from the home directory after the bundle went to the Trash.
// Runs on the finalizer's only thread; stateless.
#pragma once

#include <filesystem>

namespace pellora {

// Deletes each existing path of UninstallFinalization::desktopPaths(deleteData) under
// `home`, in order. The first deletion that fails ends the removal with its error; later
// paths are left alone.
void removeDesktopState(const std::filesystem::path& home, bool deleteData);

}  // namespace pellora
