// The application's own bundle: where it is, its Info.plist values and its resources.
// Found from the running executable's path (<bundle>/Contents/MacOS/<name>). Read-only,
// any thread after construction.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace pellora {

class BundleInfo {
public:
    virtual ~BundleInfo() = default;

    // The bundle directory ("…/Pellora.app").
    virtual std::filesystem::path bundlePath() const = 0;
    virtual std::filesystem::path executablePath() const = 0;
    // A string value of Info.plist; absent when missing or not a string.
    virtual std::optional<std::string> infoString(const std::string& key) const = 0;
    // "Contents/Resources/<name>.<type>" when that file exists.
    virtual std::optional<std::filesystem::path> resourcePath(const std::string& name,
                                                              const std::string& type) const = 0;
    // "Contents/Resources".
    virtual std::filesystem::path resourcesPath() const = 0;
};

}  // namespace pellora
