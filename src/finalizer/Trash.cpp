#include "finalizer/Trash.h"

#include <gio/gio.h>

#include <memory>
#include <string>

#include "base/Error.h"

namespace pellora {

void moveToTrash(const std::filesystem::path& path) {
    const std::unique_ptr<GFile, decltype(&g_object_unref)> file(g_file_new_for_path(path.c_str()),
                                                                 &g_object_unref);
    GError* error = nullptr;
    if (g_file_trash(file.get(), nullptr, &error)) return;
    Error failure(g_quark_to_string(error->domain), error->code, error->message);
    g_error_free(error);
    throw failure;
}

}  // namespace pellora
