// BundleInfo of a bundle laid out as <bundle>/Contents/MacOS/<executable>, found from the
// running executable (/proc/self/exe) or a given executable path. Info.plist is read once
// at construction; a missing or malformed Info.plist yields absent values. Read-only
// after construction, any thread; owned by main().
#pragma once

#include "platform/BundleInfo.h"
#include "platform/linux/PlistDocument.h"

namespace pellora {

class LinuxBundleInfo final : public BundleInfo {
public:
    // The bundle of the running executable.
    LinuxBundleInfo();
    explicit LinuxBundleInfo(std::filesystem::path executablePath);

    std::filesystem::path bundlePath() const override { return bundlePath_; }
    std::filesystem::path executablePath() const override { return executablePath_; }
    std::optional<std::string> infoString(const std::string& key) const override;
    std::optional<std::filesystem::path> resourcePath(const std::string& name,
                                                      const std::string& type) const override;
    std::filesystem::path resourcesPath() const override;

    // The running executable's path.
    static std::filesystem::path currentExecutablePath();

private:
    std::filesystem::path executablePath_;
    std::filesystem::path bundlePath_;
    PlistDocument info_;
};

}  // namespace pellora
