// Runs a command to completion under a hard time limit and returns its exit status with
// the last 64 KiB of each output stream. Output goes to files in a private work directory,
// so a chatty child never blocks on a full pipe. While it waits, the runner follows the
// child's descendants through process snapshots and, at the time limit, kills the whole
// tracked tree. Runs inside the awaiting task on the main loop; owned by the Engine
// manager (one per manager, reusable for any number of runs).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/Task.h"
#include "platform/ProcessLauncher.h"
#include "update/UpdateProcessTree.h"

namespace pellora {

class LifecycleProcess {
public:
    struct Output {
        std::int32_t status = 0;
        std::string stdout;  // last 65,536 bytes, UTF-8 with replacement
        std::string stderr;
    };
    static constexpr std::size_t kTailBytes = 65536;

    LifecycleProcess(std::shared_ptr<ProcessLauncher> launcher,
                     std::shared_ptr<UpdateProcessTree> processTree,
                     std::filesystem::path temporaryDirectory = std::filesystem::temp_directory_path());

    // Throws the launch error, the time-out error ("Command timed out: " + name + "."), a
    // read error, or CancelledError (the child is then left running).
    Task<Output> run(std::filesystem::path executable, std::vector<std::string> arguments,
                     Environment environment, double timeout) const;

    static std::string timeoutMessage(const std::filesystem::path& executable,
                                      const std::vector<std::string>& arguments);

private:
    std::shared_ptr<ProcessLauncher> launcher_;
    std::shared_ptr<UpdateProcessTree> processTree_;
    std::filesystem::path temporaryDirectory_;
};

}  // namespace pellora
