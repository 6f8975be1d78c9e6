// The application's central object: owns the Engine windows, the saved connections, the
// local Engine's manager and the startup presentation; connects windows to their Engine,
// reports startup failures and manages the window set.
//
// Main thread only. One per process, created by the application delegate when launching
// finishes and alive until the process ends. Windows hold it weakly (as their owner).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Task.h"
#include "connections/EngineConnectionStore.h"
#include "engine/EngineManager.h"
#include "platform/Alerts.h"
#include "platform/Application.h"
#include "shell/ShellStatus.h"
#include "windows/MainWindow.h"
#include "windows/MainWindowOwner.h"
#include "windows/StartupPresentation.h"

namespace pellora {

// What the controller is built with; owned by the application delegate's creator.
struct ShellEnvironment {
    Application& application;
    Alerts& alerts;
    MainWindowEnvironment windows;
    // Verifies a remote Engine and answers its capabilities, or throws the failure. Empty
    // until remote Engines can be verified: remote windows then show their recovery view.
    std::function<Task<std::vector<std::string>>(const std::string& origin)> remoteHandshake;
};

class ShellController final : public std::enable_shared_from_this<ShellController>, public MainWindowOwner {
public:
    ShellController(ShellEnvironment environment, EngineConnectionStore& connections,
                    std::shared_ptr<EngineManager> engineManager);

    // --- Operations ----------------------------------------------------------------------
    void startShell();
    Task<void> connectWindow(std::shared_ptr<MainWindow> window);
    void setStartupPresentation(const StartupPresentation& presentation);
    void setStartupPhase(StartupPhase phase);
    void reloadLocalWindows();
    void showStartupFailure(const std::string& title, const std::string& message);
    std::shared_ptr<MainWindow> openWindow(bool load, bool compact);
    std::shared_ptr<MainWindow> currentWindow() override;
    std::shared_ptr<MainWindow> showOrCreateWindow();
    void windowDidClose(const std::shared_ptr<MainWindow>& window) override;
    bool isWindowCurrent(const std::shared_ptr<MainWindow>& window, const std::string& revision) const;
    void setStatus(ShellStatus status);

    // --- Startup (the local Engine) --------------------------------------------------------
    Task<void> runStartup();
    Task<void> startLocalEngine();
    Task<void> openLocalEngine();

    // --- MainWindowOwner -----------------------------------------------------------------
    void setLastActiveWindow(const std::shared_ptr<MainWindow>& window) override { lastActiveWindow = window; }
    Task<void> recoverWindow(std::shared_ptr<MainWindow> window) override;
    void showConnectionsPanel(const std::shared_ptr<MainWindow>& window) override;

    // --- Quitting ------------------------------------------------------------------------
    // Starts the quit flow unless another flow runs. Ends in confirmTermination.
    void requestQuit();
    // Set by the application delegate: marks termination confirmed and terminates.
    std::function<void()> confirmTermination;

    // --- Menu actions ----------------------------------------------------------------------
    void menuNewWindow() { openWindow(true, false); }
    void menuNewCompactChat() { openWindow(true, true); }

    static bool isLocal(const MainWindow& window) { return !window.engineContext.connection().has_value(); }

    // --- Fields --------------------------------------------------------------------------
    std::shared_ptr<EngineManager> engineManager;
    EngineConnectionStore& connections;
    bool managesLocalEngine = false;
    bool switchingConnection = false;
    std::weak_ptr<MainWindow> connectionTarget;
    std::weak_ptr<MainWindow> lastActiveWindow;
    std::vector<std::shared_ptr<MainWindow>> windows;
    bool startupInFlight = false;
    std::optional<StartupPresentation> startupPresentation;
    ShellStatus currentStatus = ShellStatus::starting;

    // Hears every status change (the status item subscribes here).
    std::function<void(ShellStatus)> statusObserver;

private:
    void giveSnapshot(MainWindow& window, const StartupPresentation& presentation);
    void activateApplication();
    std::shared_ptr<MainWindow> ensureWindow();
    std::optional<EngineConnection> defaultConnection() const;

    ShellEnvironment environment_;
    std::vector<ScopedTask> tasks_;
};

}  // namespace pellora
