// The entry point: decides between test host and application, wires the real ports
// together, installs the application delegate and runs the application.
#include <gtk/gtk.h>

#include <cstdlib>
#include <memory>
#include <optional>

#include "base/EventLoop.h"
#include "base/Log.h"
#include "connections/EngineConnectionStore.h"
#include "engine/EngineManager.h"
#include "platform/linux/CurlHttpClient.h"
#include "platform/linux/GLibEventLoop.h"
#include "platform/linux/GtkAlerts.h"
#include "platform/linux/GtkApplicationPort.h"
#include "platform/linux/LinuxBundleInfo.h"
#include "platform/linux/LinuxProcessLauncher.h"
#include "platform/linux/LinuxProcessTable.h"
#include "platform/linux/PlistUserDefaults.h"
#include "platform/linux/ThreadWorkQueue.h"
#include "platform/linux/WebKitWebViewFactory.h"
#include "shell/AppDelegate.h"
#include "shell/ShellController.h"
#include "windows/RecoveryTexts.h"
#include "windows/WindowBridges.h"

using namespace pellora;

namespace {

// A test runner hosting the application: only the presence of either variable counts.
bool isTestHost() {
    return std::getenv("XCTestConfigurationFilePath") != nullptr || std::getenv("XCTestBundlePath") != nullptr;
}

std::shared_ptr<EngineManager> makeEngineManager() {
    EngineManager::Ports ports;
    ports.processTable = std::make_shared<LinuxProcessTable>();
    ports.launcher = std::make_shared<LinuxProcessLauncher>();
    ports.http = std::make_shared<CurlHttpClient>();
    ports.utilityQueue = std::make_shared<ThreadWorkQueue>();
    ports.locator = InstallLocator::production();
    return std::make_shared<EngineManager>(std::move(ports));
}

}  // namespace

int main() {
    if (!gtk_init_check(nullptr, nullptr)) {
        logLine("[shell] cannot open a display; Pellora needs one (run it under Xvfb without a screen)");
        return 1;
    }
    GLibEventLoop loop;
    MainLoopScope loopScope(loop);
    // The embedded browser runtime is not part of this build yet. When it is, it starts
    // here, before the application object exists, and a 0.01-second timer pumps it while
    // the application runs.
    GtkApplicationPort application;

    if (isTestHost()) {
        application.setActivationPolicy(ActivationPolicy::prohibited);
        application.run();
        return 0;
    }

    PlistUserDefaults defaults;
    UserDefaults::setStandard(&defaults);
    LinuxBundleInfo bundle;
    RecoveryTexts recoveryTexts(bundle.resourcePath("connection-recovery", "json"));
    WebKitWebViewFactory webViews(WebKitWebViewFactory::standardDirectories(bundle.bundlePath()));
    GtkAlerts alerts;
    WindowBridges bridges;
    // Created when launching finishes, like the controller that uses it.
    std::optional<EngineConnectionStore> connections;

    AppDelegate delegate(
        application,
        [&] {
            ShellEnvironment environment{application, alerts,
                                         MainWindowEnvironment{application, webViews, bundle, recoveryTexts, bridges}};
            connections.emplace(defaults);
            return std::make_shared<ShellController>(environment, *connections, makeEngineManager());
        },
        nullptr);
    application.setDelegate(&delegate);
    application.run();
    application.setDelegate(nullptr);
    UserDefaults::setStandard(nullptr);
    return 0;
}
