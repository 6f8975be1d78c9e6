// Fake bundle: a directory the test chose, with Info.plist values from a map.
#pragma once

#include <filesystem>
#include <map>

#include "platform/BundleInfo.h"

namespace pellora {

class FakeBundleInfo final : public BundleInfo {
public:
    explicit FakeBundleInfo(std::filesystem::path bundle = "/nonexistent/Pellora.app")
        : bundle_(std::move(bundle)) {}

    std::filesystem::path bundlePath() const override { return bundle_; }
    std::filesystem::path executablePath() const override { return bundle_ / "Contents/MacOS/Pellora"; }
    std::optional<std::string> infoString(const std::string& key) const override;
    std::optional<std::filesystem::path> resourcePath(const std::string& name,
                                                      const std::string& type) const override;
    std::filesystem::path resourcesPath() const override { return bundle_ / "Contents/Resources"; }

    std::map<std::string, std::string> info;

private:
    std::filesystem::path bundle_;
};

}  // namespace pellora
