// The hand-over record between the application and the uninstall finalizer: which bundle
// to move to the Trash, which process must exit first, and what the bundle looked like on
// disk when the request was written. Both programs build, encode, decode and validate it
// with this one code, so the rules cannot drift apart. Value type; any thread (validation
// touches the file system).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "base/Json.h"

namespace pellora {

class UninstallRequest {
public:
    // Device and inode of the bundle directory, as `lstat` reports them.
    struct Identity {
        std::int32_t device = 0;
        std::uint64_t inode = 0;
        bool operator==(const Identity&) const = default;
    };

    std::string appPath;
    std::int32_t parentPID = 0;
    std::int32_t device = 0;
    std::uint64_t inode = 0;
    bool deleteData = false;
    std::optional<std::string> locale;

    static constexpr std::string_view kErrorDomain = "Pellora.Uninstall";
    static constexpr std::string_view kBundleIdentifier = "com.pellora.shell";
    static constexpr std::string_view kInvalidRequest = "Invalid uninstall request.";
    static constexpr std::string_view kReplaced = "Pellora.app was replaced. It has not been moved.";
    static constexpr std::string_view kMissingOrLink =
        "The application folder is missing or is a symbolic link.";

    // The languages the finalizer's alert exists in.
    static const std::vector<std::string>& supportedLocales();

    // The JSON document (keys in their fixed order; "locale" only when present).
    Json toJson() const;
    std::string encoded() const;
    // Throws failure("Invalid uninstall request.") for anything that is not a complete
    // request with values of the right types and ranges.
    static UninstallRequest decode(std::string_view text);

    // Checks that the request names a Pellora bundle that is still the very directory the
    // application saw. Throws "Invalid uninstall request." for a structural fault, the
    // identity error of `identity`, or "Pellora.app was replaced. It has not been moved.".
    void validate() const;

    // The bundle directory's identity without following a symbolic link. Throws "The
    // application folder is missing or is a symbolic link." for anything but a directory.
    static Identity identity(const std::filesystem::path& path);

    // The request's locale when it is exactly one of the supported codes, else "en".
    std::string presentationLocale() const;

    // An error of this program: domain "Pellora.Uninstall", code 1.
    static Error failure(std::string_view message);

    // `path` with empty, "." and ".." components resolved lexically and no trailing slash.
    static std::string standardizedPath(std::string_view path);

    bool operator==(const UninstallRequest&) const = default;
};

}  // namespace pellora
