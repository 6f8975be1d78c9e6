// A launcher whose children do what the test scripts: exit at once (or only when told)
// with a status and output, or fail to launch. Output bound for a file is written into
// that file; piped output is handed out by readAvailable. Records every launch.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "base/Error.h"
#include "platform/ProcessLauncher.h"

namespace pellora {

class FakeProcessLauncher final : public ProcessLauncher {
public:
    struct Script {
        std::int32_t status = 0;
        std::string standardOutput;
        std::string standardError;
        bool runsUntilKilled = false;   // never exits on its own
        std::optional<Error> launchError;
        std::int32_t pid = 4000;
    };
    // Answers a launch by its spec; the default is an instant exit with status 0.
    std::function<Script(const LaunchSpec&)> respond;
    // Scripts by executable path, consulted when `respond` is not set.
    std::map<std::string, Script> scripts;

    std::vector<LaunchSpec> launches;
    std::vector<std::pair<std::int32_t, int>> childSignals;  // (pid, signal) via ChildProcess

    std::vector<LaunchSpec> launchesOf(const std::string& executable) const;
    std::unique_ptr<ChildProcess> launch(const LaunchSpec& spec) override;
};

}  // namespace pellora
