// The finalizer's own log, "Library/Logs/Pellora/uninstall.log" in the home directory:
// one dated line per outcome, appended. The application has quit by the time most lines
// are written, so this file is where a person finds what happened. Logging never fails
// the uninstall. Runs on the finalizer's only thread; owned by the finalizer program.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace pellora {

class UninstallLog {
public:
    using WallClock = std::function<std::time_t()>;

    UninstallLog(std::filesystem::path path, WallClock wallClock);

    static std::filesystem::path pathInHome(const std::filesystem::path& home);
    // The date as the platform describes it by default, in UTC: "2026-12-09 16:47:00 +0000".
    static std::string dateDescription(std::time_t time);

    const std::filesystem::path& path() const { return path_; }
    // Appends "<date> <message>\n"; errors are ignored.
    void append(std::string_view message) const;

private:
    std::filesystem::path path_;
    WallClock wallClock_;
};

}  // namespace pellora
