#include "finalizer/UninstallLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>

namespace pellora {

UninstallLog::UninstallLog(std::filesystem::path path, WallClock wallClock)
    : path_(std::move(path)), wallClock_(std::move(wallClock)) {}

std::filesystem::path UninstallLog::pathInHome(const std::filesystem::path& home) {
    return home / "Library/Logs/Pellora/uninstall.log";
}

std::string UninstallLog::dateDescription(std::time_t time) {
    std::tm utc{};
    ::gmtime_r(&time, &utc);
    char text[64];
    const auto length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &utc);
    return std::string(text, length);
}

void UninstallLog::append(std::string_view message) const {
    std::error_code ignored;
    std::filesystem::create_directories(path_.parent_path(), ignored);
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::string line = dateDescription(wallClock_());
    line += ' ';
    line += message;
    line += '\n';
    std::size_t written = 0;
    while (written < line.size()) {
        const auto result = ::write(fd, line.data() + written, line.size() - written);
        if (result <= 0) break;
        written += static_cast<std::size_t>(result);
    }
    ::close(fd);
}

}  // namespace pellora
