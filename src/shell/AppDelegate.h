// Turns the application's lifecycle callbacks into calls on the shell controller: creates
// it when launching finishes, reopens a window on reopen, never quits on the last window
// closing, routes every terminate request through the quit flow, and closes all windows
// and the browser runtime on termination.
//
// Main thread only. Owned by main() for the whole run; the application holds it weakly.
#pragma once

#include <functional>
#include <memory>

#include "platform/Application.h"
#include "shell/ShellController.h"

namespace pellora {

class AppDelegate final : public ApplicationDelegate {
public:
    // Builds the controller when launching finishes (over the standard user defaults).
    using ControllerFactory = std::function<std::shared_ptr<ShellController>()>;

    AppDelegate(Application& application, ControllerFactory makeController,
                std::function<void()> shutdownBrowserRuntime);

    void applicationDidFinishLaunching() override;
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override;
    bool applicationShouldTerminateAfterLastWindowClosed() override { return false; }
    TerminateReply applicationShouldTerminate() override;
    void applicationWillTerminate() override;

    std::shared_ptr<ShellController> shellController;
    bool terminateConfirmed = false;

private:
    Application& application_;
    ControllerFactory makeController_;
    std::function<void()> shutdownBrowserRuntime_;
};

}  // namespace pellora
