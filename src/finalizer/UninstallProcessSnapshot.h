// Which processes still run from inside the application bundle. The bundle must not move
// while any does, and a live process whose executable cannot be determined counts as
// possibly ours: the answer is then an error, never "none". Finalizer thread; stateless.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "finalizer/UninstallProcessSource.h"

namespace pellora {

class UninstallProcessSnapshot {
public:
    static constexpr const char* kCountFailed = "Could not inspect running processes.";
    static constexpr const char* kListFailed = "Process list is unavailable or changed too quickly.";
    static constexpr const char* kPsFailed = "Process inspection failed.";

    // The ids, in listing order, of the current user's processes whose executable lies
    // inside `appPath` (the finalizer itself excluded). Throws the inspection errors.
    static std::vector<pid_t> appProcesses(const std::string& appPath);
    static std::vector<pid_t> appProcesses(const std::string& appPath,
                                           UninstallProcessSource& source);

    // "Could not inspect process <pid>. App retained for safety."
    static std::string uninspectableMessage(pid_t pid);
};

}  // namespace pellora
