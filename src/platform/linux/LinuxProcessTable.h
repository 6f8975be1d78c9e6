// The process table read from /proc: /proc/<pid>/stat for parent, state, flags and start
// time (boot time + start ticks), the owner of /proc/<pid> for the effective user id, and
// the /proc/<pid>/exe link for the executable. Stateless apart from constants read once; any
// thread. Owned by main() and shared.
#pragma once

#include "platform/ProcessTable.h"

namespace pellora {

class LinuxProcessTable final : public ProcessTable {
public:
    LinuxProcessTable();

    std::uint32_t currentUserId() const override;
    std::int32_t currentProcessId() const override;
    int countProcesses(std::uint32_t uid) override;
    std::optional<std::vector<std::int32_t>> listProcesses(std::uint32_t uid,
                                                           std::size_t capacity) override;
    std::optional<ProcessInfo> info(std::int32_t pid) override;
    std::optional<std::string> executablePath(std::int32_t pid) override;
    bool executableAccessDenied(std::int32_t pid) override;
    int sendSignal(std::int32_t pid, int signal) override;

    // Parses the text of /proc/<pid>/stat (the command name may hold any bytes). Absent
    // when malformed.
    struct StatFields {
        char state = 0;
        std::int32_t parent = 0;
        unsigned long flags = 0;
        unsigned long long startTicks = 0;
    };
    static std::optional<StatFields> parseStat(std::string_view text);

private:
    std::uint64_t bootTime_ = 0;
    long ticksPerSecond_ = 100;
};

}  // namespace pellora
