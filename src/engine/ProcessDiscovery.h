// Finds the local Engine's server and scheduler processes by their command lines (pgrep)
// and by the port they listen on (lsof), and signals lists of ids with a log line each.
// Synchronous and blocking (the caller runs it on a utility queue); any thread. Owned by
// the Engine manager.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/ProcessLauncher.h"
#include "platform/ProcessTable.h"

namespace pellora {

class ProcessDiscovery {
public:
    using PIDs = std::vector<std::int32_t>;

    ProcessDiscovery(std::shared_ptr<ProcessLauncher> launcher, std::shared_ptr<ProcessTable> table);

    PIDs serverPIDs(const std::filesystem::path& installDir, int port) const;
    PIDs schedulerPIDs(const std::filesystem::path& installDir) const;
    void signalPIDs(const PIDs& ids, int signal, const std::string& name) const;

    // The installation path with every regular-expression metacharacter escaped.
    static std::string escapePattern(const std::string& path);
    // Ids from command output: one per line, positive, not `ownPid`, in order, no repeats.
    static PIDs parsePIDs(const std::string& output, std::int32_t ownPid);
    // "[1, 2]" / "[]".
    static std::string formatPIDs(const PIDs& ids);

private:
    PIDs runDiscovery(const std::string& executable, const std::vector<std::string>& arguments) const;
    PIDs pgrep(const std::filesystem::path& installDir, const std::string& script) const;

    std::shared_ptr<ProcessLauncher> launcher_;
    std::shared_ptr<ProcessTable> table_;
};

}  // namespace pellora
