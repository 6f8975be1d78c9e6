// The finalizer's process source on Linux: /proc for the user's processes, their state
// and executables, kill(2) for the existence probe, and /bin/ps as the fallback listing.
// Stateless; finalizer thread.
#pragma once

#include "finalizer/UninstallProcessSource.h"

namespace pellora {

class ProcUninstallProcessSource final : public UninstallProcessSource {
public:
    pid_t currentProcessId() const override;
    int countUserProcesses() override;
    int listUserProcesses(std::span<pid_t> buffer) override;
    std::optional<std::string> executablePath(pid_t pid) override;
    bool isZombie(pid_t pid) override;
    bool isKernelThread(pid_t pid) override;
    bool exists(pid_t pid) override;
    ToolRun runPs() override;
};

}  // namespace pellora
