// The uninstall finalizer's run from start to exit status: find the work directory, detach,
// read and validate the request, confirm the hand-over with "ready", wait and finish, log
// the outcome, and on failure leave "error" and the work directory behind and, once the
// application has gone, alert the person. The system it acts on is passed in, so the whole
// run can be driven by fakes. Finalizer thread; owned by main().
#pragma once

#include <sys/types.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "finalizer/UninstallAlert.h"

namespace pellora {

class FinalizerProgram {
public:
    // Everything the run does to the world outside its work directory.
    struct System {
        std::filesystem::path home;
        std::function<void()> detach;
        std::function<bool(pid_t)> processAlive;
        std::function<std::vector<pid_t>(const std::string& appPath)> appProcesses;
        std::function<void(const std::filesystem::path&)> moveToTrash;
        std::function<double()> now;
        std::function<void()> pause;
        std::function<std::time_t()> wallClock;
        std::function<void(const UninstallAlert::Text&)> showAlert;

        // The real system: $HOME, setsid, kill(2), /proc, the Trash, zenity.
        static System live();
    };

    explicit FinalizerProgram(System system);

    // The exit status: 0 when the bundle went to the Trash and the state was removed,
    // 1 on any failure.
    int run(const std::filesystem::path& programPath);

private:
    System system_;
};

}  // namespace pellora
