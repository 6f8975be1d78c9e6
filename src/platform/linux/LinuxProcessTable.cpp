#include "platform/linux/LinuxProcessTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>

namespace pellora {

namespace {

constexpr unsigned long kKernelThreadFlag = 0x00200000;  // PF_KTHREAD

// Reads a small /proc file in one go; absent when it cannot be opened or read.
std::optional<std::string> readProcFile(const char* path) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[4096];
    while (true) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

template <typename T>
bool parseNumber(std::string_view text, T& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::optional<std::int32_t> numericName(const char* name) {
    std::int32_t pid = 0;
    if (!parseNumber(std::string_view(name), pid) || pid <= 0) return std::nullopt;
    return pid;
}

std::uint64_t readBootTime() {
    auto text = readProcFile("/proc/stat");
    if (!text) return 0;
    auto at = text->find("\nbtime ");
    if (at == std::string::npos) return 0;
    auto start = at + 7;
    auto end = text->find('\n', start);
    std::uint64_t value = 0;
    parseNumber(std::string_view(*text).substr(start, end - start), value);
    return value;
}

template <typename Visit>
bool forEachProcessDirectory(Visit visit) {
    DIR* dir = ::opendir("/proc");
    if (!dir) return false;
    while (dirent* item = ::readdir(dir)) {
        auto pid = numericName(item->d_name);
        if (pid && !visit(::dirfd(dir), item->d_name, *pid)) break;
    }
    ::closedir(dir);
    return true;
}

}  // namespace

LinuxProcessTable::LinuxProcessTable() : bootTime_(readBootTime()) {
    long ticks = ::sysconf(_SC_CLK_TCK);
    if (ticks > 0) ticksPerSecond_ = ticks;
}

std::uint32_t LinuxProcessTable::currentUserId() const { return ::geteuid(); }

std::int32_t LinuxProcessTable::currentProcessId() const { return ::getpid(); }

int LinuxProcessTable::countProcesses(std::uint32_t) {
    // Every process id is a bound on the ones the user owns; counting needs no stat.
    int count = 0;
    bool listed = forEachProcessDirectory([&](int, const char*, std::int32_t) {
        ++count;
        return true;
    });
    return listed ? count : -1;
}

std::optional<std::vector<std::int32_t>> LinuxProcessTable::listProcesses(std::uint32_t uid,
                                                                          std::size_t capacity) {
    std::vector<std::int32_t> ids;
    bool listed = forEachProcessDirectory([&](int dirFd, const char* name, std::int32_t pid) {
        struct stat status {};
        // The directory belongs to the process's effective user.
        if (::fstatat(dirFd, name, &status, 0) == 0 && status.st_uid == uid) ids.push_back(pid);
        return ids.size() < capacity;
    });
    if (!listed) return std::nullopt;
    return ids;
}

std::optional<LinuxProcessTable::StatFields> LinuxProcessTable::parseStat(std::string_view text) {
    // "pid (comm) S ppid pgrp session tty tpgid flags ... starttime(22nd field) ..."
    auto close = text.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view rest = text.substr(close + 1);
    StatFields fields;
    int index = 3;  // field number of the next token
    while (!rest.empty() && index <= 22) {
        auto start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        auto end = rest.find_first_of(" \n");
        std::string_view token = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
        bool ok = true;
        switch (index) {
            case 3: ok = token.size() == 1; fields.state = token.empty() ? 0 : token[0]; break;
            case 4: ok = parseNumber(token, fields.parent); break;
            case 9: ok = parseNumber(token, fields.flags); break;
            case 22: ok = parseNumber(token, fields.startTicks); break;
            default: break;
        }
        if (!ok) return std::nullopt;
        ++index;
    }
    if (index <= 22) return std::nullopt;
    return fields;
}

std::optional<ProcessInfo> LinuxProcessTable::info(std::int32_t pid) {
    if (pid <= 0) return std::nullopt;
    const std::string base = "/proc/" + std::to_string(pid);
    auto statText = readProcFile((base + "/stat").c_str());
    // The directory belongs to the process's effective user: one stat instead of reading
    // and parsing /proc/<pid>/status.
    struct stat owner {};
    if (!statText || ::stat(base.c_str(), &owner) != 0) return std::nullopt;
    auto fields = parseStat(*statText);
    if (!fields) return std::nullopt;
    ProcessInfo info;
    info.pid = pid;
    info.parent = fields->parent;
    info.uid = owner.st_uid;
    info.zombie = fields->state == 'Z' || fields->state == 'X';
    info.kernelThread = (fields->flags & kKernelThreadFlag) != 0;
    const auto ticks = static_cast<unsigned long long>(ticksPerSecond_);
    info.startSeconds = bootTime_ + fields->startTicks / ticks;
    info.startMicroseconds = (fields->startTicks % ticks) * 1'000'000ULL / ticks;
    return info;
}

std::optional<std::string> LinuxProcessTable::executablePath(std::int32_t pid) {
    if (pid <= 0) return std::nullopt;
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    char buffer[4096];
    ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return std::nullopt;
    std::string path(buffer, static_cast<std::size_t>(length));
    // The kernel marks an executable that was replaced or removed after the start.
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.ends_with(kDeleted)) path.resize(path.size() - kDeleted.size());
    return path;
}

bool LinuxProcessTable::executableAccessDenied(std::int32_t pid) {
    if (pid <= 0) return false;
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    char buffer[1];
    return ::readlink(link.c_str(), buffer, sizeof buffer) < 0 && (errno == EACCES || errno == EPERM);
}

int LinuxProcessTable::sendSignal(std::int32_t pid, int signal) {
    if (pid <= 0) return ESRCH;  // never a process group or every process
    return ::kill(pid, signal) == 0 ? 0 : errno;
}

}  // namespace pellora
