#include "fakes/FakeBundleInfo.h"

namespace pellora {

std::optional<std::string> FakeBundleInfo::infoString(const std::string& key) const {
    auto it = info.find(key);
    if (it == info.end()) return std::nullopt;
    return it->second;
}

std::optional<std::filesystem::path> FakeBundleInfo::resourcePath(const std::string& name,
                                                                  const std::string& type) const {
    auto path = resourcesPath() / (name + "." + type);
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) return path;
    return std::nullopt;
}

}  // namespace pellora
