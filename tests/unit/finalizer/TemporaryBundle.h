// Test support for the uninstall finalizer: a scratch directory that disappears with the
// test, and a minimal application bundle inside it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "uninstall/request/UninstallRequest.h"

namespace pellora::testing {

class TemporaryDirectory {
public:
    TemporaryDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pellora-test-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return root_; }

private:
    std::filesystem::path root_;
};

inline void writeFile(const std::filesystem::path& path, const std::string& contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Creates `<parent>/Pellora.app` with an Info.plist naming `identifier`.
inline std::filesystem::path makeBundle(const std::filesystem::path& parent,
                                        const std::string& identifier = "com.pellora.shell") {
    const auto bundle = parent / "Pellora.app";
    writeFile(bundle / "Contents/Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<plist version=\"1.0\"><dict>"
              "<key>CFBundleIdentifier</key><string>" + identifier + "</string>"
              "<key>CFBundleExecutable</key><string>Pellora</string>"
              "</dict></plist>\n");
    return bundle;
}

// A request for `bundle` carrying the bundle's current identity.
inline UninstallRequest requestFor(const std::filesystem::path& bundle, std::int32_t parentPID) {
    const auto identity = UninstallRequest::identity(bundle);
    UninstallRequest request;
    request.appPath = bundle.string();
    request.parentPID = parentPID;
    request.device = identity.device;
    request.inode = identity.inode;
    return request;
}

}  // namespace pellora::testing
