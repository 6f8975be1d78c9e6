// One Engine window: a native window whose content is a web view showing one Engine's
// web interface, the splash page while the local Engine is prepared, and a native
// recovery view while the Engine cannot be reached. Watches main-frame navigations,
// accepts a page only after the marker check, and retries recovery through its owner.
//
// Main thread only. Owned (strongly) by the shell controller's window list; timers,
// evaluations and tasks hold it weakly. Serves as delegate of its window and web view.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/EventLoop.h"
#include "base/NotificationCenter.h"
#include "base/Task.h"
#include "connections/EngineConnection.h"
#include "connections/EngineWindowContext.h"
#include "platform/Application.h"
#include "platform/BundleInfo.h"
#include "platform/WebView.h"
#include "windows/MainWindowOwner.h"
#include "windows/RecoveryTexts.h"
#include "windows/StartupPresentation.h"
#include "windows/WindowBridges.h"

namespace pellora {

class EngineManager;

// What every window is built with; owned by main() (or a test) and outliving the windows.
struct MainWindowEnvironment {
    Application& application;
    WebViewFactory& webViews;
    const BundleInfo& bundle;
    const RecoveryTexts& recoveryTexts;
    const WindowBridges& bridges;
};

class MainWindow final : public std::enable_shared_from_this<MainWindow>,
                         public NativeWindowDelegate,
                         public WebViewDelegate {
public:
    static std::shared_ptr<MainWindow> create(const MainWindowEnvironment& environment, bool compact);
    ~MainWindow() override;

    // --- Operations of the shell controller ---------------------------------------------
    void loadConnection(const std::optional<EngineConnection>& connection, const std::string& url,
                        bool browserEnabled, bool forceMarker);
    void showWindow();
    void showSplash();
    void pushStartupSnapshot();
    void showEnginePage(const std::string& url);
    void showRecovery(bool incompatible, bool secureFailure, bool connecting);
    void applyConnectionUpdate(const EngineConnection& connection);

    // --- Actions -------------------------------------------------------------------------
    void connectionLanguageChanged();
    void showConnections();
    // Reload menu action; `fromKeyEquivalent` when the main menu's key handling sent it.
    void reloadEnginePage(bool fromKeyEquivalent);
    bool canReloadEnginePage() const;
    void retryConnection() { attemptRecovery(); }
    void attemptRecovery();

    // --- NativeWindowDelegate ------------------------------------------------------------
    bool windowShouldClose() override { return true; }
    void windowDidBecomeKey() override;
    void windowWillClose() override;
    void windowDidMiniaturize() override;
    void windowDidDeminiaturize() override;

    // --- WebViewDelegate -----------------------------------------------------------------
    void didStartProvisionalNavigation(NavigationId navigation) override;
    void didCommitNavigation(NavigationId navigation) override;
    void didFinishNavigation(NavigationId navigation) override;
    void didFailNavigation(NavigationId navigation, const WebError& error) override;
    void didFailProvisionalNavigation(NavigationId navigation, const WebError& error) override;
    void webContentProcessDidTerminate() override;
    NavigationActionPolicy decidePolicyForNavigationAction(const NavigationAction& action) override;
    NavigationResponsePolicy decidePolicyForNavigationResponse(const NavigationResponse& response) override;
    void createWebViewRequested(const NavigationAction& action) override;

    // --- Fields (the controller and tests read them) ---------------------------------------
    const bool compact;
    std::shared_ptr<NativeWindow> window;
    std::shared_ptr<WebView> webView;
    bool splashVisible = false;
    bool splashReady = false;
    StartupPresentation::Snapshot startupSnapshot;
    std::shared_ptr<BrowserBridge> browserBridgeHandler;
    const std::string browserWindowID;
    std::string engineURL = "http://localhost:9700";
    EngineWindowContext engineContext;
    bool browserEnabled = true;
    bool expectsClientMarker = false;
    std::shared_ptr<Button> connectionButton;
    bool hasEnginePage = false;
    std::int64_t navigationRevision = 0;
    std::shared_ptr<ContainerView> recoveryView;
    std::shared_ptr<Button> recoveryRetryButton;
    std::optional<TaskHandle> recoveryTask;
    bool recoveryIncompatible = false;
    bool recoveryConnecting = false;
    bool recoverySecureConnectionFailure = false;
    Timer recoveryTimer;
    std::int64_t recoveryFailures = 0;
    Timer navigationTimer;
    NavigationId currentNavigation = 0;
    std::shared_ptr<PageBridge> bridgeHandler;
    std::weak_ptr<EngineManager> engineManager;
    std::weak_ptr<MainWindowOwner> owner;

    // The delay before the next automatic recovery attempt after `failures` attempts.
    static Duration recoveryRetryDelay(std::int64_t failures);

private:
    MainWindow(const MainWindowEnvironment& environment, bool compact);

    void ensureWindow();
    void refreshTitleBar();
    void buildWebView();
    void teardownWebView();
    void loadEngineURL(const std::string& url);
    void updateSurfaceVisibility();
    void setSurfacesVisible(bool visible);
    void verifyClientMarker();
    void engineInterrupted(const std::optional<WebError>& error);
    void scheduleRecoveryRetry();
    void recoveryTimerFired();
    void navigationTimedOut();
    void finishRecoveryAttempt();
    bool isTrackedNavigation(NavigationId navigation) const;
    bool isEngineOriginURL(const std::optional<std::string>& url) const;
    std::string recoveryText(const std::string& key) const;
    std::string connectionName() const;
    std::shared_ptr<View> buildRecoveryContent();

    MainWindowEnvironment environment_;
    NotificationCenter::Observation languageObservation_;
};

}  // namespace pellora
