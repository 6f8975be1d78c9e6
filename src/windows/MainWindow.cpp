#include "windows/MainWindow.h"

#include <algorithm>

#include "base/Log.h"
#include "base/Url.h"
#include "base/Uuid.h"
#include "base/Weak.h"
#include "shell/DesktopLanguage.h"
#include "shell/LocalizedText.h"
#include "windows/OriginRules.h"

namespace pellora {

using namespace std::chrono_literals;

namespace {

constexpr double kRequestTimeoutSeconds = 60;
constexpr const char* kContextMenuBlocker =
    "addEventListener('contextmenu', event => event.preventDefault(), true);";
constexpr const char* kInlineSplash =
    "<body style='background:#fafafa;color:#6b7078;font:14px -apple-system;display:flex;"
    "align-items:center;justify-content:center;height:100vh;margin:0'>Starting Pellora\u2026</body>";

// The title-bar tint of a remote connection; the neutral white for one without a colour.
Color tint(const std::optional<EngineConnectionColor>& color) {
    if (!color) return Color::white(0.98);
    switch (*color) {
        case EngineConnectionColor::blue: return {0.87, 0.93, 0.99};
        case EngineConnectionColor::green: return {0.88, 0.95, 0.87};
        case EngineConnectionColor::amber: return {0.99, 0.94, 0.82};
        case EngineConnectionColor::rose: return {0.99, 0.89, 0.91};
        case EngineConnectionColor::lavender: return {0.93, 0.90, 0.99};
        case EngineConnectionColor::teal: return {0.85, 0.95, 0.94};
    }
    return Color::white(0.98);
}

std::string makeBrowserWindowID() {
    std::string id = makeUuidString();
    std::replace(id.begin(), id.end(), '-', '_');
    return "mac_" + id;
}

std::optional<std::string> connectionID(const std::optional<EngineConnection>& connection) {
    if (!connection) return std::nullopt;
    return connection->id;
}

StartupPresentation connectingPresentation(bool remote) {
    StartupPresentation presentation;
    presentation.mode = remote ? StartupPresentation::Mode::remote : StartupPresentation::Mode::normal;
    presentation.phase = StartupPhase::starting;
    presentation.since = EventLoop::main().wallClock();
    return presentation;
}

}  // namespace

// --- Creation --------------------------------------------------------------------------------

MainWindow::MainWindow(const MainWindowEnvironment& environment, bool compact)
    : compact(compact),
      startupSnapshot(makeSnapshot(connectingPresentation(false), desktopLanguage())),
      browserWindowID(makeBrowserWindowID()),
      environment_(environment) {}

std::shared_ptr<MainWindow> MainWindow::create(const MainWindowEnvironment& environment, bool compact) {
    std::shared_ptr<MainWindow> window(new MainWindow(environment, compact));
    window->languageObservation_ = NotificationCenter::defaultCenter().observe(
        std::string(kLanguageDidChangeNotification),
        weakClosure(window, [](MainWindow& self) { self.connectionLanguageChanged(); }));
    return window;
}

MainWindow::~MainWindow() = default;

// --- Window and title bar --------------------------------------------------------------------

void MainWindow::ensureWindow() {
    if (window) return;
    WindowOptions options;
    options.contentSize = compact ? Size{460, 720} : Size{1200, 800};
    if (compact) options.minSize = Size{360, 480};
    options.title = "Pellora";
    options.background = Color::white(0.98);
    window = environment_.application.createWindow(options);
    window->setDelegate(weak_from_this());

    auto ownerRef = owner.lock();
    auto current = ownerRef ? ownerRef->currentWindow() : nullptr;
    if (current && current.get() != this && current->window) {
        Point origin = current->window->frameOrigin();
        window->setFrameOrigin(Point{origin.x + 22, origin.y - 22});
    } else {
        window->center();
    }

    ButtonStyle style;
    style.font = Font{12, FontWeight::regular};
    style.bezel = ButtonBezel::roundRectOnHover;
    style.fixedSize = Size{210, 24};
    connectionButton = environment_.application.views().makeButton(
        localizedText(TextTable::connection, 1), style);
    connectionButton->setAction(weakClosure(weak_from_this(), [](MainWindow& self) { self.showConnections(); }));
    connectionButton->setAccessibilityLabel(localizedText(TextTable::connection, 0));
    window->setTitlebarAccessory(connectionButton);

    refreshTitleBar();
    buildWebView();
}

std::string MainWindow::connectionName() const {
    const auto& connection = engineContext.connection();
    return connection ? connection->name : localizedText(TextTable::connection, 1);
}

void MainWindow::refreshTitleBar() {
    if (!window) return;
    std::string name = connectionName();
    window->setTitle("Pellora - " + name);
    if (connectionButton) {
        connectionButton->setTitle(name + " \u25BE");
        connectionButton->setToolTip(name);
    }
    const auto& connection = engineContext.connection();
    window->setTitlebarAppearsTransparent(connection.has_value());
    window->setBackgroundColor(connection ? tint(connection->color) : Color::white(0.98));
}

// --- Binding and the web view ----------------------------------------------------------------

void MainWindow::loadConnection(const std::optional<EngineConnection>& connection,
                                const std::string& url, bool browserEnabledValue, bool forceMarker) {
    std::string target = connection ? connection->origin : url;
    bool sameConnection = connectionID(engineContext.connection()) == connectionID(connection);
    if (!sameConnection || engineURL != target) {
        recoveryIncompatible = false;
        recoverySecureConnectionFailure = false;
    }
    engineContext.rebind(connection);
    engineURL = target;
    browserEnabled = browserEnabledValue;
    expectsClientMarker = forceMarker || !connection.has_value();
    hasEnginePage = false;
    if (window) {
        teardownWebView();
        window->contentView().removeAllSubviews();
        buildWebView();
        refreshTitleBar();
    }
}

void MainWindow::applyConnectionUpdate(const EngineConnection& connection) {
    const auto& current = engineContext.connection();
    if (!current || current->id != connection.id || current->origin != connection.origin) return;
    engineContext.update(connection);
    refreshTitleBar();
}

void MainWindow::buildWebView() {
    const auto& bridges = environment_.bridges;
    bool local = !engineContext.connection().has_value();
    PageBridgeRequest pageRequest{engineManager, engineURL, local};

    WebViewConfiguration configuration;
    configuration.elementFullscreenEnabled = true;
    if (bridges.pageBridgeScript) configuration.userScripts.push_back(bridges.pageBridgeScript(pageRequest));
    configuration.userScripts.push_back(
        UserScript{kContextMenuBlocker, false, std::string("PelloraShellContextMenu")});
    if (browserEnabled && bridges.browserBridgeScript)
        configuration.userScripts.push_back(bridges.browserBridgeScript(browserWindowID));

    auto view = environment_.webViews.makeWebView(configuration);
    if (!engineManager.expired() && bridges.makePageBridge) bridgeHandler = bridges.makePageBridge(*view, pageRequest);
    view->setDelegate(weak_from_this());
    window->contentView().addSubview(view);

    if (browserEnabled && bridges.makeBrowserBridge) {
        browserBridgeHandler = bridges.makeBrowserBridge(
            *view, BrowserBridgeRequest{browserWindowID, engineURL, connectionID(engineContext.connection())});
    }
    webView = view;
}

void MainWindow::teardownWebView() {
    recoveryTimer.invalidate();
    navigationTimer.invalidate();
    currentNavigation = 0;
    if (recoveryView) {
        recoveryView->removeFromSuperview();
        recoveryView.reset();
        recoveryRetryButton.reset();
    }
    splashVisible = splashReady = false;
    if (browserBridgeHandler) {
        browserBridgeHandler->invalidate();
        browserBridgeHandler.reset();
    }
    if (webView) {
        webView->stopLoading();
        webView->setDelegate({});
        webView->removeAllScriptMessageHandlers();
    }
    if (bridgeHandler) {
        bridgeHandler->invalidate();
        bridgeHandler.reset();
    }
    if (webView) {
        webView->removeFromSuperview();
        webView.reset();
    }
}

// --- Showing ---------------------------------------------------------------------------------

void MainWindow::showWindow() {
    ensureWindow();
    window->makeKeyAndOrderFrontRegardless();
    setSurfacesVisible(true);
}

void MainWindow::setSurfacesVisible(bool visible) {
    if (browserBridgeHandler) browserBridgeHandler->setAllSurfacesVisible(visible);
}

void MainWindow::showSplash() {
    recoveryTimer.invalidate();
    ensureWindow();
    if (splashVisible) return;
    splashVisible = true;
    splashReady = false;
    hasEnginePage = false;
    if (recoveryView) {
        recoveryView->removeFromSuperview();
        recoveryView.reset();
        recoveryRetryButton.reset();
    }
    webView->setHidden(false);
    connectionButton->setHidden(true);
    setSurfacesVisible(false);
    if (auto splash = environment_.bundle.resourcePath("splash", "html")) {
        webView->loadFileURL(splash->string(), kRequestTimeoutSeconds);
    } else {
        logLine("[shell] splash.html missing from bundle; using inline fallback");
        webView->loadHTMLString(kInlineSplash, std::nullopt);
    }
}

void MainWindow::pushStartupSnapshot() {
    if (!splashVisible || !splashReady || !webView) return;
    auto json = startupSnapshot.encoded();
    if (!json) return;  // an unencodable snapshot sends nothing
    webView->evaluateJavaScript("window.setStartup(" + *json + ");", nullptr);
}

void MainWindow::showEnginePage(const std::string& url) {
    splashVisible = splashReady = false;
    if (engineURL != url) loadConnection(engineContext.connection(), url, browserEnabled, false);
    ensureWindow();
    engineURL = url;
    connectionButton->setHidden(false);
    if (hasEnginePage) {
        if (recoveryView) {
            recoveryView->removeFromSuperview();
            recoveryView.reset();
            recoveryRetryButton.reset();
        }
        webView->setHidden(false);
    } else {
        showRecovery(false, false, true);
    }
    if (browserBridgeHandler) browserBridgeHandler->setAllowedOrigin(url);
    loadEngineURL(compact ? appendingPathComponent(url, "compact-chat") : url);
}

void MainWindow::loadEngineURL(const std::string& url) {
    if (!webView) return;
    URLRequest request;
    request.url = url;
    request.timeoutSeconds = kRequestTimeoutSeconds;
    request.headers["X-Pellora-Desktop-Navigation"] = "1";
    webView->loadRequest(request);
}

bool MainWindow::isEngineOriginURL(const std::optional<std::string>& url) const {
    return url && sameOrigin(*url, engineURL);
}

void MainWindow::updateSurfaceVisibility() {
    std::optional<std::string> current = webView ? webView->url() : std::nullopt;
    bool visible = window && window->isVisible() && !window->isMiniaturized() && current &&
                   originKey(*current) && originKey(*current) == originKey(engineURL);
    setSurfacesVisible(visible);
}

// --- Reload and language ----------------------------------------------------------------------

bool MainWindow::canReloadEnginePage() const {
    return hasEnginePage && webView && !recoveryView && !splashVisible;
}

void MainWindow::reloadEnginePage(bool fromKeyEquivalent) {
    if (!canReloadEnginePage()) return;
    // A key press meant for the native browser must not reload the Engine page.
    if (fromKeyEquivalent && browserBridgeHandler) {
        auto host = browserBridgeHandler->hostView();
        if (host && window->firstResponderIsInside(*host)) return;
    }
    auto current = webView->url();
    if (isEngineOriginURL(current)) {
        loadEngineURL(*current);
    } else {
        loadEngineURL(compact ? appendingPathComponent(engineURL, "compact-chat") : engineURL);
    }
}

void MainWindow::connectionLanguageChanged() {
    refreshTitleBar();
    if (connectionButton) connectionButton->setAccessibilityLabel(localizedText(TextTable::connection, 0));
    if (recoveryView) showRecovery(recoveryIncompatible, recoverySecureConnectionFailure, recoveryConnecting);
}

void MainWindow::showConnections() {
    if (auto ownerRef = owner.lock()) ownerRef->showConnectionsPanel(shared_from_this());
}

// --- Window delegate ---------------------------------------------------------------------------

void MainWindow::windowDidBecomeKey() {
    if (auto ownerRef = owner.lock()) ownerRef->setLastActiveWindow(shared_from_this());
    if (recoveryView && !recoveryConnecting && !recoveryIncompatible && !recoverySecureConnectionFailure)
        attemptRecovery();
}

void MainWindow::windowWillClose() {
    if (recoveryTask) {
        recoveryTask->cancel();
        recoveryTask.reset();
    }
    teardownWebView();
    if (auto ownerRef = owner.lock()) ownerRef->windowDidClose(shared_from_this());
}

void MainWindow::windowDidMiniaturize() { setSurfacesVisible(false); }

void MainWindow::windowDidDeminiaturize() { setSurfacesVisible(true); }

}  // namespace pellora
