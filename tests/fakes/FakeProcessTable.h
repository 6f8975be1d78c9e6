// A process table the test fills in: processes with their records and executables, the
// answers of the listing queries, and what each signal does. Records every signal sent.
#pragma once

#include <cerrno>
#include <deque>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/ProcessTable.h"

namespace pellora {

class FakeProcessTable final : public ProcessTable {
public:
    struct Process {
        ProcessInfo info;
        std::optional<std::string> executable;
    };

    std::uint32_t uid = 501;
    std::int32_t ownPid = 1;
    std::optional<int> countOverride;  // else: number of processes, ourselves included
    std::optional<std::vector<std::int32_t>> listOverride;  // else: ours and every one of `uid`
    bool listFails = false;
    std::map<std::int32_t, Process> processes;
    // Records handed out by the next info() calls for a pid, before its stored record.
    std::map<std::int32_t, std::deque<std::optional<ProcessInfo>>> scriptedInfo;
    // errno for sending a signal to a pid (default: 0 when the process exists, else ESRCH).
    std::map<std::int32_t, int> signalErrors;
    // Signals that end a process when it receives them.
    std::set<int> fatalSignals;
    // Pids whose processes survive every signal.
    std::set<std::int32_t> unkillable;
    // Pids whose executable the kernel refuses to show.
    std::set<std::int32_t> accessDenied;
    std::vector<std::pair<std::int32_t, int>> signalsSent;  // (pid, signal), signal 0 included

    // Adds a running process of the test user.
    Process& add(std::int32_t pid, std::int32_t parent, std::string executable,
                 std::uint64_t startSeconds = 1000, std::uint64_t startMicroseconds = 0);
    std::vector<std::pair<std::int32_t, int>> signalsOtherThanProbes() const;

    std::uint32_t currentUserId() const override { return uid; }
    std::int32_t currentProcessId() const override { return ownPid; }
    int countProcesses(std::uint32_t user) override;
    std::optional<std::vector<std::int32_t>> listProcesses(std::uint32_t user, std::size_t capacity) override;
    std::optional<ProcessInfo> info(std::int32_t pid) override;
    std::optional<std::string> executablePath(std::int32_t pid) override;
    bool executableAccessDenied(std::int32_t pid) override { return accessDenied.contains(pid); }
    int sendSignal(std::int32_t pid, int signal) override;
};

}  // namespace pellora
