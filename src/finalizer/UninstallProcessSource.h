// What the finalizer asks the kernel about processes before it moves the bundle: the
// current user's process ids, each one's executable, whether it is a zombie or a kernel
// thread, whether it still exists, and the `ps` listing as a fallback. An interface so the
// inspection rules can be driven by a fake. Finalizer thread; owned by whoever inspects.
#pragma once

#include <sys/types.h>

#include <optional>
#include <span>
#include <string>

#include "finalizer/ToolRun.h"

namespace pellora {

class UninstallProcessSource {
public:
    virtual ~UninstallProcessSource() = default;

    virtual pid_t currentProcessId() const = 0;
    // The number of process ids of the current user; below 1 when it cannot be told.
    virtual int countUserProcesses() = 0;
    // Writes the current user's process ids into `buffer` (at most its size); returns how
    // many it wrote, below 1 on failure.
    virtual int listUserProcesses(std::span<pid_t> buffer) = 0;
    // The executable's absolute path as the kernel knows it; absent when not available.
    virtual std::optional<std::string> executablePath(pid_t pid) = 0;
    virtual bool isZombie(pid_t pid) = 0;
    // Kernel threads run no executable at all.
    virtual bool isKernelThread(pid_t pid) = 0;
    // A signal-0 probe; false only when no such process exists.
    virtual bool exists(pid_t pid) = 0;
    // "/bin/ps -ax -o pid=,comm=" with its exit status and output; throws when it cannot
    // be started.
    virtual ToolRun runPs() = 0;
};

}  // namespace pellora
