#include "finalizer/UninstallFinalization.h"

#include <chrono>
#include <optional>
#include <thread>

#include "uninstall/request/UninstallRequest.h"

namespace pellora {

namespace {

// Waits until an observation finds nothing alive for a full quiet period.
void waitForQuietPeriod(const UninstallFinalization::Operations& operations) {
    const double deadline = operations.now() + UninstallFinalization::kTimeLimitSeconds;
    std::optional<double> quietSince;
    for (double now = operations.now();; now = operations.now()) {
        if (now >= deadline) {
            throw UninstallRequest::failure(UninstallFinalization::kProcessesDidNotExit);
        }
        const bool busy = operations.parentAlive() || operations.childrenAlive();
        if (busy) {
            quietSince.reset();
        } else if (!quietSince) {
            quietSince = now;
        } else if (now - *quietSince >= UninstallFinalization::kQuietPeriodSeconds) {
            return;
        }
        operations.pause();
    }
}

}  // namespace

void UninstallFinalization::finish(const Operations& operations) {
    operations.validate();
    waitForQuietPeriod(operations);
    // The bundle must still be the directory that asked, after all that waiting.
    operations.validate();
    operations.recycle();
    operations.cleanup();
}

std::vector<std::string> UninstallFinalization::desktopPaths(bool deleteData) {
    std::vector<std::string> paths{
        "Library/Application Support/com.pellora.shell",
        "Library/Caches/com.pellora.shell",
        "Library/Preferences/com.pellora.shell.plist",
        "Library/Saved Application State/com.pellora.shell.savedState",
    };
    if (deleteData) {
        paths.insert(paths.end(), {
                                      "Library/Application Support/Pellora",
                                      "Library/WebKit/com.pellora.shell",
                                      "Library/HTTPStorages/com.pellora.shell",
                                      "Library/Cookies/com.pellora.shell.binarycookies",
                                  });
    }
    return paths;
}

double UninstallFinalization::systemUptime() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(since).count();
}

void UninstallFinalization::pauseBriefly() {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

}  // namespace pellora
