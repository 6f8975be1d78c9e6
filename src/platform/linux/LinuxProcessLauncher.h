// Starts child processes with posix_spawn: standard input from /dev/null, output and
// error to /dev/null, a file (appending) or a pipe. A child dropped before it was waited
// for is reaped by a background thread. Any thread; owned by main() and shared.
#pragma once

#include "platform/ProcessLauncher.h"

namespace pellora {

class LinuxProcessLauncher final : public ProcessLauncher {
public:
    std::unique_ptr<ChildProcess> launch(const LaunchSpec& spec) override;
};

}  // namespace pellora
