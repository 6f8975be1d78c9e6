#include "update/UpdateProcessTree.h"

#include <cerrno>
#include <csignal>
#include <charconv>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>

#include "base/EventLoop.h"
#include "base/Uuid.h"
#include "platform/ToolPaths.h"
#include "update/UpdateError.h"

namespace pellora {

namespace {

constexpr auto kFallbackLimit = std::chrono::seconds(2);
constexpr auto kFallbackPoll = std::chrono::milliseconds(10);
constexpr auto kTerminatePoll = std::chrono::milliseconds(100);

bool isNoSuchProcess(int error) { return error == ESRCH; }

std::optional<std::int32_t> parseInt32(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::size_t UpdateProcessTree::IdentityHash::operator()(const Identity& identity) const noexcept {
    std::size_t hash = std::hash<std::int32_t>()(identity.pid);
    hash ^= std::hash<std::uint64_t>()(identity.seconds) + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    hash ^= std::hash<std::uint64_t>()(identity.microseconds) + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
    return hash;
}

std::filesystem::path resolvingSymlinks(const std::filesystem::path& path) {
    std::error_code error;
    auto resolved = std::filesystem::weakly_canonical(path, error);
    if (error || resolved.empty()) return path.lexically_normal();
    // weakly_canonical keeps a trailing separator of a directory path; a path never has one.
    if (resolved.has_relative_path() && !resolved.has_filename()) resolved = resolved.parent_path();
    return resolved;
}

UpdateProcessTree::UpdateProcessTree(std::shared_ptr<ProcessTable> table,
                                     std::shared_ptr<ProcessLauncher> launcher)
    : table_(std::move(table)), launcher_(std::move(launcher)) {}

bool UpdateProcessTree::matches(const ProcessInfo& info) const {
    return info.uid == table_->currentUserId() && !info.zombie && !info.kernelThread;
}

std::optional<Identity> UpdateProcessTree::identity(std::int32_t pid) const {
    auto info = table_->info(pid);
    if (!info || !matches(*info)) return std::nullopt;
    return Identity{pid, info->startSeconds, info->startMicroseconds};
}

std::string UpdateProcessTree::cannotInspectProcessMessage(std::int32_t pid) {
    return "Cannot inspect process " + std::to_string(pid) + ".";
}

std::vector<UpdateProcessTree::Entry> UpdateProcessTree::snapshot() const {
    const auto uid = table_->currentUserId();
    const int count = table_->countProcesses(uid);
    if (count <= 0) throw updateError("Cannot inspect local processes.");
    const std::size_t capacity = static_cast<std::size_t>(count) + 1024;
    auto ids = table_->listProcesses(uid, capacity);
    if (!ids || ids->empty() || ids->size() >= capacity) {
        throw updateError("Cannot obtain a complete process list.");
    }
    std::optional<PathTable> fallback;
    std::vector<Entry> entries;
    entries.reserve(ids->size());
    for (std::int32_t pid : *ids) {
        if (auto entry = inspect(pid, fallback)) entries.push_back(std::move(*entry));
    }
    return entries;
}

std::optional<UpdateProcessTree::Entry> UpdateProcessTree::inspect(
    std::int32_t pid, std::optional<PathTable>& fallback) const {
    if (pid <= 0 || pid == table_->currentProcessId()) return std::nullopt;
    auto info = table_->info(pid);
    if (!info) {
        if (isNoSuchProcess(table_->sendSignal(pid, 0))) return std::nullopt;
        throw updateError(cannotInspectProcessMessage(pid));
    }
    if (!matches(*info)) return std::nullopt;

    // The kernel's path has its links resolved already; only a path from `ps` needs it.
    auto path = table_->executablePath(pid);
    if (!path && table_->executableAccessDenied(pid)) return std::nullopt;  // not one of ours
    if (!path) {
        if (!fallback) fallback = loadFallbackPathTable();
        auto found = fallback->find(pid);
        if (found != fallback->end() && found->second.starts_with('/')) {
            path = resolvingSymlinks(found->second).string();
        }
    }
    if (!path) {
        // A process on its way out loses its executable a moment before it turns into a
        // zombie; give it that moment before calling it unverifiable.
        for (int wait = 0; wait < 5 && identity(pid) && !table_->executablePath(pid); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!identity(pid)) return std::nullopt;
        path = table_->executablePath(pid);
        if (!path) {
            throw updateError("Cannot verify executable ownership for process " + std::to_string(pid) + ".");
        }
    }
    const Identity seen{pid, info->startSeconds, info->startMicroseconds};
    if (identity(pid) != seen) return std::nullopt;  // the id was reused meanwhile
    return Entry{seen, info->parent, std::move(*path)};
}

std::map<std::int32_t, std::string> UpdateProcessTree::parsePathTable(const std::string& output) {
    std::map<std::int32_t, std::string> table;
    std::istringstream lines(output);
    std::string line;
    constexpr const char* kBlanks = " \t\r\v\f";
    while (std::getline(lines, line)) {
        auto idStart = line.find_first_not_of(kBlanks);
        if (idStart == std::string::npos) continue;
        auto idEnd = line.find_first_of(kBlanks, idStart);
        if (idEnd == std::string::npos) continue;
        auto pathStart = line.find_first_not_of(kBlanks, idEnd);
        if (pathStart == std::string::npos) continue;
        auto pid = parseInt32(std::string_view(line).substr(idStart, idEnd - idStart));
        if (!pid) continue;
        table[*pid] = line.substr(pathStart);
    }
    return table;
}

UpdateProcessTree::PathTable UpdateProcessTree::loadFallbackPathTable() const {
    const auto file = std::filesystem::temp_directory_path() / makeUuidString();
    {
        std::ofstream create(file);
    }
    std::error_code ignored;
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 ignored);
    struct Cleanup {
        std::filesystem::path file;
        ~Cleanup() {
            std::error_code ignore;
            std::filesystem::remove(file, ignore);
        }
    } cleanup{file};

    LaunchSpec spec;
    spec.executable = toolpaths::kPs;
    spec.arguments = {"-ax", "-o", "pid=,comm="};
    spec.standardOutput = StdioTarget::file(file.string());
    std::unique_ptr<ChildProcess> child;
    try {
        child = launcher_->launch(spec);
    } catch (const std::exception&) {
        throw updateError("Process inspection failed.");
    }
    const auto started = std::chrono::steady_clock::now();
    std::optional<std::int32_t> status;
    while (!(status = child->terminationStatus())) {
        if (std::chrono::steady_clock::now() - started >= kFallbackLimit) {
            child->sendSignal(SIGKILL);
            throw updateError("Process inspection timed out.");
        }
        std::this_thread::sleep_for(kFallbackPoll);
    }
    if (*status != 0) throw updateError("Process inspection failed.");
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return parsePathTable(text.str());
}

UpdateProcessTree::IdentitySet UpdateProcessTree::tree(const std::vector<Entry>& entries,
                                                       const std::optional<std::filesystem::path>& root,
                                                       const IdentitySet& seeds) {
    std::string prefix;
    if (root) prefix = resolvingSymlinks(*root).string() + "/";
    std::vector<bool> included(entries.size(), false);
    std::unordered_set<std::int32_t> includedPids;
    auto include = [&](std::size_t index) {
        included[index] = true;
        includedPids.insert(entries[index].identity.pid);
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& entry = entries[i];
        if (seeds.contains(entry.identity) ||
            (prefix.size() > 1 && entry.executable.starts_with(prefix))) {
            include(i);
        }
    }
    for (bool added = true; added;) {
        added = false;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!included[i] && includedPids.contains(entries[i].parent)) {
                include(i);
                added = true;
            }
        }
    }
    IdentitySet result;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (included[i]) result.insert(entries[i].identity);
    }
    return result;
}

UpdateProcessTree::IdentitySet UpdateProcessTree::processes(
    const std::optional<std::filesystem::path>& under, const IdentitySet& seeds) const {
    if (under && resolvingSymlinks(*under) == "/") throw updateError(kRootRefusedMessage);
    return tree(snapshot(), under, seeds);
}

void UpdateProcessTree::signal(const IdentitySet& identities, int signalNumber) const {
    for (const auto& target : identities) {
        if (identity(target.pid) != target) continue;  // gone or reused: never signal a stranger
        int error = table_->sendSignal(target.pid, signalNumber);
        if (error == 0 || isNoSuchProcess(error)) continue;
        throw updateError("Cannot stop process " + std::to_string(target.pid) + ": " +
                          std::strerror(error) + ".");
    }
}

Task<void> UpdateProcessTree::terminate(std::optional<std::filesystem::path> installDir,
                                        IdentitySet seeds, double grace, double deadline) const {
    auto& loop = EventLoop::main();
    const auto started = loop.uptime();
    const auto seconds = [](double value) {
        return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(value));
    };
    IdentitySet tracked = std::move(seeds);
    IdentitySet terminated;
    IdentitySet killed;
    std::optional<bool> previousEmpty;
    while (true) {
        const auto elapsed = loop.uptime() - started;
        if (previousEmpty && elapsed >= seconds(deadline)) throw updateError(kDidNotStopMessage);
        IdentitySet current = processes(installDir, tracked);
        tracked.insert(current.begin(), current.end());
        if (current.empty() && previousEmpty.value_or(false)) co_return;
        previousEmpty = current.empty();
        const bool inGrace = elapsed < seconds(grace);
        IdentitySet& sent = inGrace ? terminated : killed;
        IdentitySet targets;
        for (const auto& identity : current) {
            if (!sent.contains(identity)) targets.insert(identity);
        }
        signal(targets, inGrace ? SIGTERM : SIGKILL);
        sent.insert(current.begin(), current.end());
        co_await sleepFor(kTerminatePoll);
    }
}

}  // namespace pellora
