#include "finalizer/UninstallProcessSnapshot.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

#include "finalizer/ProcUninstallProcessSource.h"
#include "uninstall/request/UninstallRequest.h"

namespace pellora {

namespace {

using PsTable = std::map<pid_t, std::string>;

// Each line of "pid=,comm=" output is an id and a path, split once at the first run of
// white space.
PsTable parsePsOutput(const std::string& output) {
    PsTable table;
    std::size_t start = 0;
    while (start < output.size()) {
        auto end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string_view line(output.data() + start, end - start);
        start = end + 1;
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front()))) line.remove_prefix(1);
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.remove_suffix(1);
        const auto gap = line.find_first_of(" \t");
        if (gap == std::string_view::npos) continue;
        const auto rest = line.find_first_not_of(" \t", gap);
        const std::string idText(line.substr(0, gap));
        char* idEnd = nullptr;
        const long id = std::strtol(idText.c_str(), &idEnd, 10);
        if (*idEnd != '\0' || id < 1 || id > INT_MAX) continue;
        table.emplace(static_cast<pid_t>(id), std::string(line.substr(rest)));
    }
    return table;
}

PsTable loadPsTable(UninstallProcessSource& source) {
    const ToolRun ps = source.runPs();
    if (ps.status != 0) throw UninstallRequest::failure(UninstallProcessSnapshot::kPsFailed);
    return parsePsOutput(ps.output);
}

// The path with symbolic links resolved; unchanged when it cannot be resolved (the
// executable may have been deleted or replaced).
std::string resolvingSymlinks(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

std::vector<pid_t> listUserProcesses(UninstallProcessSource& source) {
    const int count = source.countUserProcesses();
    if (count < 1) throw UninstallRequest::failure(UninstallProcessSnapshot::kCountFailed);
    // Room for processes started between the two calls; a full buffer means it was not
    // enough and the listing cannot be trusted.
    std::vector<pid_t> buffer(static_cast<std::size_t>(count) + 1024, 0);
    const int listed = source.listUserProcesses(buffer);
    if (listed < 1 || static_cast<std::size_t>(listed) >= buffer.size()) {
        throw UninstallRequest::failure(UninstallProcessSnapshot::kListFailed);
    }
    buffer.resize(static_cast<std::size_t>(listed));
    return buffer;
}

}  // namespace

std::vector<pid_t> UninstallProcessSnapshot::appProcesses(const std::string& appPath) {
    ProcUninstallProcessSource source;
    return appProcesses(appPath, source);
}

std::vector<pid_t> UninstallProcessSnapshot::appProcesses(const std::string& appPath,
                                                          UninstallProcessSource& source) {
    // The kernel reports executables with every link resolved, so a bundle reached through
    // a linked folder is matched by its resolved path as well.
    const std::string prefix = appPath + "/";
    const std::string resolvedPrefix = resolvingSymlinks(appPath) + "/";
    const pid_t self = source.currentProcessId();
    std::optional<PsTable> psTable;

    std::vector<pid_t> inside;
    for (const pid_t pid : listUserProcesses(source)) {
        if (pid < 1 || pid == self) continue;
        auto path = source.executablePath(pid);
        if (!path) {
            if (source.isZombie(pid) || source.isKernelThread(pid) || !source.exists(pid)) continue;
            if (!psTable) psTable = loadPsTable(source);
            const auto row = psTable->find(pid);
            if (row != psTable->end() && row->second.starts_with('/')) path = row->second;
        }
        if (!path) {
            if (source.exists(pid)) throw UninstallRequest::failure(uninspectableMessage(pid));
            continue;
        }
        const auto resolved = resolvingSymlinks(*path);
        if (resolved.starts_with(prefix) || resolved.starts_with(resolvedPrefix)) inside.push_back(pid);
    }
    return inside;
}

std::string UninstallProcessSnapshot::uninspectableMessage(pid_t pid) {
    return "Could not inspect process " + std::to_string(pid) + ". App retained for safety.";
}

}  // namespace pellora
