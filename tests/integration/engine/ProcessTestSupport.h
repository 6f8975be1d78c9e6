// Temporary directories and process probes for tests with real child processes.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/Uuid.h"

namespace pellora::integration {

class TempDir {
public:
    TempDir() : path_(std::filesystem::temp_directory_path() / ("pellora-it-" + makeUuidString())) {
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path write(const std::string& name, const std::string& text, bool executable = false) const {
        auto file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        if (executable) std::filesystem::permissions(file, std::filesystem::perms::owner_all);
        return file;
    }

private:
    std::filesystem::path path_;
};

// True while `pid` names a process that has not exited (zombies count as exited).
inline bool isRunning(pid_t pid) {
    if (pid <= 0 || ::kill(pid, 0) != 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

inline bool waitUntilGone(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (isRunning(pid) && std::chrono::steady_clock::now() < deadline) ::usleep(10000);
    return !isRunning(pid);
}

inline pid_t readPid(const std::filesystem::path& file, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(file);
        pid_t pid = 0;
        if (in >> pid && pid > 0) return pid;
        ::usleep(10000);
    }
    return 0;
}

}  // namespace pellora::integration
