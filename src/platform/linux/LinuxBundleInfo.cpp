#include "platform/linux/LinuxBundleInfo.h"

#include <cstdlib>
#include <system_error>

namespace pellora {

namespace {

// <bundle>/Contents/MacOS/<name> → <bundle>. An executable outside a bundle is its own
// directory's bundle, so resources resolve to nothing instead of somewhere unexpected.
std::filesystem::path bundleOf(const std::filesystem::path& executable) {
    const auto macOS = executable.parent_path();
    const auto contents = macOS.parent_path();
    if (macOS.filename() == "MacOS" && contents.filename() == "Contents") return contents.parent_path();
    return macOS;
}

}  // namespace

LinuxBundleInfo::LinuxBundleInfo() : LinuxBundleInfo(currentExecutablePath()) {}

LinuxBundleInfo::LinuxBundleInfo(std::filesystem::path executablePath)
    : executablePath_(std::move(executablePath)),
      bundlePath_(bundleOf(executablePath_)),
      info_(PlistDocument::readDictionary(bundlePath_ / "Contents" / "Info.plist")
                .value_or(PlistDocument())) {}

std::filesystem::path LinuxBundleInfo::currentExecutablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

std::optional<std::string> LinuxBundleInfo::infoString(const std::string& key) const {
    plist_t node = info_.item(key);
    if (!node || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
    char* value = nullptr;
    plist_get_string_val(node, &value);
    if (!value) return std::nullopt;
    std::string result = value;
    free(value);
    return result;
}

std::optional<std::filesystem::path> LinuxBundleInfo::resourcePath(const std::string& name,
                                                                   const std::string& type) const {
    // A name that climbs out of the resources folder is not a resource of this bundle.
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        return std::nullopt;
    }
    if (type.find('/') != std::string::npos) return std::nullopt;
    auto path = resourcesPath() / (type.empty() ? name : name + "." + type);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    return path;
}

std::filesystem::path LinuxBundleInfo::resourcesPath() const {
    return bundlePath_ / "Contents" / "Resources";
}

}  // namespace pellora
