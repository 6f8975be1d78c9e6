#include "shell/AppDelegate.h"

namespace pellora {

AppDelegate::AppDelegate(Application& application, ControllerFactory makeController,
                         std::function<void()> shutdownBrowserRuntime)
    : application_(application),
      makeController_(std::move(makeController)),
      shutdownBrowserRuntime_(std::move(shutdownBrowserRuntime)) {}

void AppDelegate::applicationDidFinishLaunching() {
    application_.setActivationPolicy(ActivationPolicy::regular);
    shellController = makeController_();
    shellController->confirmTermination = [this] {
        terminateConfirmed = true;
        application_.terminate();
    };
    shellController->startShell();
}

bool AppDelegate::applicationShouldHandleReopen(bool) {
    if (shellController) shellController->showOrCreateWindow();
    return true;
}

TerminateReply AppDelegate::applicationShouldTerminate() {
    if (terminateConfirmed) return TerminateReply::terminateNow;
    if (!shellController) return TerminateReply::terminateCancel;
    shellController->requestQuit();
    return TerminateReply::terminateCancel;
}

void AppDelegate::applicationWillTerminate() {
    for (const auto& window : application_.windows()) window->close();
    if (shutdownBrowserRuntime_) shutdownBrowserRuntime_();
}

}  // namespace pellora
