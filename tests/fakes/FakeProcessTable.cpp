#include "FakeProcessTable.h"

namespace pellora {

FakeProcessTable::Process& FakeProcessTable::add(std::int32_t pid, std::int32_t parent, std::string executable,
                                                 std::uint64_t startSeconds, std::uint64_t startMicroseconds) {
    Process process;
    process.info.pid = pid;
    process.info.parent = parent;
    process.info.uid = uid;
    process.info.startSeconds = startSeconds;
    process.info.startMicroseconds = startMicroseconds;
    process.executable = std::move(executable);
    return processes[pid] = process;
}

std::vector<std::pair<std::int32_t, int>> FakeProcessTable::signalsOtherThanProbes() const {
    std::vector<std::pair<std::int32_t, int>> sent;
    for (const auto& entry : signalsSent) {
        if (entry.second != 0) sent.push_back(entry);
    }
    return sent;
}

int FakeProcessTable::countProcesses(std::uint32_t) {
    return countOverride.value_or(static_cast<int>(processes.size()) + 1);
}

std::optional<std::vector<std::int32_t>> FakeProcessTable::listProcesses(std::uint32_t user, std::size_t capacity) {
    if (listFails) return std::nullopt;
    std::vector<std::int32_t> ids;
    if (listOverride) {
        ids = *listOverride;
    } else {
        if (!processes.contains(ownPid)) ids.push_back(ownPid);  // the listing includes ourselves
        for (const auto& [pid, process] : processes) {
            if (process.info.uid == user) ids.push_back(pid);
        }
    }
    if (ids.size() > capacity) ids.resize(capacity);
    return ids;
}

std::optional<ProcessInfo> FakeProcessTable::info(std::int32_t pid) {
    if (auto script = scriptedInfo.find(pid); script != scriptedInfo.end() && !script->second.empty()) {
        auto next = script->second.front();
        script->second.pop_front();
        return next;
    }
    auto found = processes.find(pid);
    if (found == processes.end()) return std::nullopt;
    return found->second.info;
}

std::optional<std::string> FakeProcessTable::executablePath(std::int32_t pid) {
    auto found = processes.find(pid);
    if (found == processes.end()) return std::nullopt;
    return found->second.executable;
}

int FakeProcessTable::sendSignal(std::int32_t pid, int signal) {
    signalsSent.emplace_back(pid, signal);
    if (auto error = signalErrors.find(pid); error != signalErrors.end()) return error->second;
    auto found = processes.find(pid);
    if (found == processes.end()) return ESRCH;
    if (fatalSignals.contains(signal) && !unkillable.contains(pid)) processes.erase(found);
    return 0;
}

}  // namespace pellora
