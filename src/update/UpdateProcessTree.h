// Lists the current user's processes with an identity that survives process-id reuse,
// finds the processes that belong to an installation (by identity, by executable location
// or as descendants) and signals or terminates them without ever hitting a reused id.
// No state of its own: every call takes a fresh look at the system. The synchronous
// operations may run on any thread; `terminate` runs on the main thread. Owned by whoever
// needs it (the Engine manager, the child runner, the update preparation).
#pragma once

#include <compare>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/Task.h"
#include "platform/ProcessLauncher.h"
#include "platform/ProcessTable.h"

namespace pellora {

class UpdateProcessTree {
public:
    // A process id together with its start time: two processes with the same id but
    // different start times are different identities.
    struct Identity {
        std::int32_t pid = 0;
        std::uint64_t seconds = 0;
        std::uint64_t microseconds = 0;
        auto operator<=>(const Identity&) const = default;
    };
    struct IdentityHash {
        std::size_t operator()(const Identity& identity) const noexcept;
    };
    using IdentitySet = std::unordered_set<Identity, IdentityHash>;

    // One inspected process.
    struct Entry {
        Identity identity;
        std::int32_t parent = 0;
        std::string executable;  // absolute, symbolic links resolved
    };

    UpdateProcessTree(std::shared_ptr<ProcessTable> table, std::shared_ptr<ProcessLauncher> launcher);

    std::optional<Identity> identity(std::int32_t pid) const;
    // Every inspectable process of the current user. Throws the update error.
    std::vector<Entry> snapshot() const;
    // The seeds and the entries whose executable lies inside `root`, with all their
    // descendants.
    static IdentitySet tree(const std::vector<Entry>& entries,
                            const std::optional<std::filesystem::path>& root,
                            const IdentitySet& seeds);
    // tree() over a fresh snapshot; refuses a directory that resolves to "/".
    IdentitySet processes(const std::optional<std::filesystem::path>& under,
                          const IdentitySet& seeds) const;
    // Signals every identity that still names the same process; skips the others.
    void signal(const IdentitySet& identities, int signalNumber) const;
    // SIGTERM until `grace` seconds passed, SIGKILL afterwards, until two consecutive
    // passes 100 ms apart find nothing; the update error once `deadline` passed.
    Task<void> terminate(std::optional<std::filesystem::path> installDir, IdentitySet seeds,
                         double grace, double deadline) const;

    // The error texts callers may compare against.
    static std::string cannotInspectProcessMessage(std::int32_t pid);
    static inline const char* kRootRefusedMessage =
        "Cannot use the filesystem root as an Engine installation.";
    static inline const char* kDidNotStopMessage =
        "Local processes did not stop. The update was not installed.";

    // The id → command table of the `ps` fallback, parsed from its output.
    static std::map<std::int32_t, std::string> parsePathTable(const std::string& output);

private:
    using PathTable = std::map<std::int32_t, std::string>;
    std::optional<Entry> inspect(std::int32_t pid, std::optional<PathTable>& fallback) const;
    PathTable loadFallbackPathTable() const;
    bool matches(const ProcessInfo& info) const;

    std::shared_ptr<ProcessTable> table_;
    std::shared_ptr<ProcessLauncher> launcher_;
};

using Identity = UpdateProcessTree::Identity;

// Resolves symbolic links in `path` as far as it exists; returns `path` lexically
// normalized when nothing can be resolved.
std::filesystem::path resolvingSymlinks(const std::filesystem::path& path);

}  // namespace pellora
