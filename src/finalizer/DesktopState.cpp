#include "finalizer/DesktopState.h"

#include <system_error>

#include "finalizer/UninstallFinalization.h"

namespace pellora {

void removeDesktopState(const std::filesystem::path& home, bool deleteData) {
    for (const auto& relative : UninstallFinalization::desktopPaths(deleteData)) {
        const auto path = home / relative;
        std::error_code error;
        // A symbolic link is removed itself; its target is not ours to delete.
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) continue;
        std::filesystem::remove_all(path, error);
        if (error) throw std::filesystem::filesystem_error("Could not remove state", path, error);
    }
}

}  // namespace pellora
