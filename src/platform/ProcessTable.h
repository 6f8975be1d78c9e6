// The kernel's view of processes: listing a user's process ids, reading one process's
// parent, owner, state and start time, its executable path, and sending signals.
// Stateless and safe on any thread; owned by main() (or a test) and shared by the objects
// that inspect or signal processes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellora {

// What the kernel reports about one process at one moment.
struct ProcessInfo {
    std::int32_t pid = 0;
    std::int32_t parent = 0;
    std::uint32_t uid = 0;  // effective user id
    bool zombie = false;
    // Kernel worker threads have no executable and belong to no user's session.
    bool kernelThread = false;
    std::uint64_t startSeconds = 0;       // since 1970
    std::uint64_t startMicroseconds = 0;  // below one second
};

class ProcessTable {
public:
    virtual ~ProcessTable() = default;

    virtual std::uint32_t currentUserId() const = 0;
    virtual std::int32_t currentProcessId() const = 0;

    // An upper bound of the number of process ids `uid` owns; 0 or less when the kernel
    // cannot be asked.
    virtual int countProcesses(std::uint32_t uid) = 0;
    // The ids `uid` owns, at most `capacity` of them (a full result may be cut short);
    // absent when the listing fails.
    virtual std::optional<std::vector<std::int32_t>> listProcesses(std::uint32_t uid,
                                                                   std::size_t capacity) = 0;
    // Absent when the process's record cannot be read (it may have exited).
    virtual std::optional<ProcessInfo> info(std::int32_t pid) = 0;
    // Absolute path of the process's executable as the kernel knows it, symbolic links
    // already resolved; absent on failure.
    virtual std::optional<std::string> executablePath(std::int32_t pid) = 0;
    // True when the kernel refuses to show the process's executable to this process (it
    // runs in another security context, like a container's init): not one of ours.
    virtual bool executableAccessDenied(std::int32_t pid) = 0;
    // Sends `signal` (0 probes); returns 0 or the errno of the failure.
    virtual int sendSignal(std::int32_t pid, int signal) = 0;
};

}  // namespace pellora
