// Moving a file or folder to the user's Trash (the freedesktop Trash through GIO). The only
// place the finalizer touches GIO. Finalizer thread.
#pragma once

#include <filesystem>

namespace pellora {

// Throws pellora::Error with GIO's description when the item cannot be trashed.
void moveToTrash(const std::filesystem::path& path);

}  // namespace pellora
