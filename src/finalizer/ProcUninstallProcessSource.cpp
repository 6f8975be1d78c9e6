#include "finalizer/ProcUninstallProcessSource.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits.h>
#include <sstream>
#include <vector>

#include "platform/ToolPaths.h"

namespace pellora {

namespace {

// The kernel marks its own worker threads with this flag in /proc/<pid>/stat.
constexpr unsigned long kKernelThreadFlag = 0x00200000;

std::optional<std::string> readProcFile(pid_t pid, const char* name) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + name);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

std::optional<pid_t> pidFromName(const char* name) {
    pid_t pid = 0;
    const auto* end = name + std::char_traits<char>::length(name);
    const auto [next, error] = std::from_chars(name, end, pid);
    if (error != std::errc() || next != end || pid < 1) return std::nullopt;
    return pid;
}

// The effective user id from /proc/<pid>/status ("Uid:\treal\teffective\tsaved\tfs").
std::optional<uid_t> effectiveUserId(pid_t pid) {
    const auto status = readProcFile(pid, "status");
    if (!status) return std::nullopt;
    const auto line = status->find("\nUid:");
    if (line == std::string::npos) return std::nullopt;
    std::istringstream fields(status->substr(line + 5));
    uid_t real = 0;
    uid_t effective = 0;
    if (!(fields >> real >> effective)) return std::nullopt;
    return effective;
}

// The fields of /proc/<pid>/stat after the command name: state, ppid, pgrp, session,
// tty_nr, tpgid, flags, ...
std::optional<std::vector<std::string>> statFields(pid_t pid) {
    const auto stat = readProcFile(pid, "stat");
    if (!stat) return std::nullopt;
    const auto close = stat->rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream stream(stat->substr(close + 1));
    std::vector<std::string> fields{std::istream_iterator<std::string>(stream),
                                    std::istream_iterator<std::string>()};
    if (fields.size() < 7) return std::nullopt;
    return fields;
}

// Calls `visit` for every process of the current effective user until it returns false;
// false when /proc cannot be read.
bool forEachUserProcess(const std::function<bool(pid_t)>& visit) {
    DIR* proc = ::opendir("/proc");
    if (!proc) return false;
    const uid_t user = ::geteuid();
    while (const dirent* entry = ::readdir(proc)) {
        const auto pid = pidFromName(entry->d_name);
        if (!pid || effectiveUserId(*pid) != user) continue;
        if (!visit(*pid)) break;
    }
    ::closedir(proc);
    return true;
}

}  // namespace

pid_t ProcUninstallProcessSource::currentProcessId() const { return ::getpid(); }

int ProcUninstallProcessSource::countUserProcesses() {
    int count = 0;
    if (!forEachUserProcess([&](pid_t) { return ++count < INT_MAX; })) return -1;
    return count;
}

int ProcUninstallProcessSource::listUserProcesses(std::span<pid_t> buffer) {
    if (buffer.empty()) return -1;
    std::size_t count = 0;
    const bool listed = forEachUserProcess([&](pid_t pid) {
        buffer[count++] = pid;
        return count < buffer.size();
    });
    if (!listed) return -1;
    return static_cast<int>(count);
}

std::optional<std::string> ProcUninstallProcessSource::executablePath(pid_t pid) {
    const auto link = "/proc/" + std::to_string(pid) + "/exe";
    char buffer[4096];
    const auto length = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(length));
}

bool ProcUninstallProcessSource::isZombie(pid_t pid) {
    const auto fields = statFields(pid);
    return fields && (*fields)[0] == "Z";
}

bool ProcUninstallProcessSource::isKernelThread(pid_t pid) {
    const auto fields = statFields(pid);
    if (!fields) return false;
    unsigned long flags = 0;
    const auto& text = (*fields)[6];
    std::from_chars(text.data(), text.data() + text.size(), flags);
    return (flags & kKernelThreadFlag) != 0;
}

bool ProcUninstallProcessSource::exists(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

ToolRun ProcUninstallProcessSource::runPs() {
    return ToolRun::run(toolpaths::kPs, {"-ax", "-o", "pid=,comm="}, true);
}

}  // namespace pellora
