// The finalizer's waiting and finishing loop: wait until the application and everything
// running from inside its bundle has been gone for a quiet second, check the bundle once
// more, move it to the Trash and remove the per-user state. Every side effect is passed
// in, so the rules run the same against the real system and against fakes. Runs on the
// finalizer's only thread; stateless.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pellora {

class UninstallFinalization {
public:
    // The operations `finish` drives. Operations that "may fail" throw.
    struct Operations {
        std::function<void()> validate;
        std::function<bool()> parentAlive;
        std::function<bool()> childrenAlive;
        std::function<double()> now = systemUptime;  // seconds
        std::function<void()> pause = pauseBriefly;
        std::function<void()> recycle;
        std::function<void()> cleanup;
    };

    static constexpr double kQuietPeriodSeconds = 1.0;
    static constexpr double kTimeLimitSeconds = 45.0;
    static constexpr const char* kProcessesDidNotExit =
        "Pellora processes did not exit. The App was not moved. Quit Pellora and move it to "
        "the Trash manually.";

    // Throws the first failure of an operation, or the 45-second message when the
    // processes never stayed gone for a quiet period in time.
    static void finish(const Operations& operations);

    // The per-user state, relative to the home directory, in the order it is removed.
    static std::vector<std::string> desktopPaths(bool deleteData);

    // Monotonic seconds (the system uptime).
    static double systemUptime();
    // Sleeps 0.1 seconds between observations.
    static void pauseBriefly();
};

}  // namespace pellora
