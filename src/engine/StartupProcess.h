// Runs an installer without a time limit, hands its progress lines to the caller as they
// arrive, and returns its exit status with the newest 64 KiB of everything it printed.
// The blocking run takes one worker thread plus one reader thread per output pipe; the
// readers share a DiagnosticTail. Called on the main thread; owned by whoever installs the
// Engine payload. It never kills its child.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Task.h"
#include "platform/ProcessLauncher.h"

namespace pellora {

class StartupProcess {
public:
    struct Output {
        std::int32_t status = 0;
        std::string diagnostics;  // newest 65,536 bytes of both streams, UTF-8 with replacement
    };

    explicit StartupProcess(std::shared_ptr<ProcessLauncher> launcher);

    // `onLine` receives each valid progress line (prefix included) on the main thread, in
    // the order the lines completed, and never after the run returned. A non-zero status
    // is returned, not raised; launch errors are raised unchanged.
    Task<Output> run(std::string executable, std::vector<std::string> arguments,
                     Environment environment, std::function<void(std::string)> onLine) const;

private:
    std::shared_ptr<ProcessLauncher> launcher_;
};

}  // namespace pellora
