// MainWindow: navigation tracking, policies, the marker check and recovery.
#include <algorithm>

#include "base/Log.h"
#include "base/Url.h"
#include "base/Weak.h"
#include "shell/DesktopLanguage.h"
#include "shell/LocalizedText.h"
#include "windows/MainWindow.h"
#include "windows/OriginRules.h"

namespace pellora {

using namespace std::chrono_literals;

namespace {

constexpr Duration kNavigationTimeLimit = 30s;

bool isSplashFileURL(const std::optional<std::string>& url) {
    if (!url) return false;
    auto parsed = Url::parse(*url);
    return parsed && asciiLowercase(parsed->scheme) == "file" && parsed->lastPathComponent() == "splash.html";
}

std::string markerCheckScript(bool expectsClientMarker) {
    return std::string("(() => { if (document.querySelector('[data-pellora-recovery], "
                       ".commands [data-cmd=\"pellora start\"]')) return false; if (") +
           (expectsClientMarker ? "true" : "false") +
           ") { return document.documentElement.getAttribute('data-pellora-client') === '1'; } "
           "return true; })()";
}

}  // namespace

// --- Navigation tracking -----------------------------------------------------------------

bool MainWindow::isTrackedNavigation(NavigationId navigation) const {
    return navigation != 0 && navigation == currentNavigation;
}

void MainWindow::didStartProvisionalNavigation(NavigationId navigation) {
    currentNavigation = navigation;
    navigationRevision += 1;
    std::weak_ptr<MainWindow> weakWindow = weak_from_this();
    std::weak_ptr<WebView> weakView = webView;
    std::int64_t revision = navigationRevision;
    navigationTimer = EventLoop::main().startTimer(kNavigationTimeLimit, false,
        [weakWindow, weakView, revision, navigation] {
            auto strong = weakWindow.lock();
            auto view = weakView.lock();
            if (!strong || !view || view != strong->webView) return;
            if (strong->navigationRevision != revision || strong->currentNavigation != navigation) return;
            strong->navigationTimedOut();
        });
    setSurfacesVisible(false);
}

void MainWindow::navigationTimedOut() {
    navigationRevision += 1;
    currentNavigation = 0;
    webView->stopLoading();
    engineInterrupted(std::nullopt);
}

void MainWindow::didCommitNavigation(NavigationId navigation) {
    if (!isTrackedNavigation(navigation)) return;
    if (browserBridgeHandler) browserBridgeHandler->resetDocumentState();
}

void MainWindow::didFinishNavigation(NavigationId navigation) {
    if (!isTrackedNavigation(navigation) || !webView) return;
    auto url = webView->url();
    if (splashVisible && isSplashFileURL(url)) {
        navigationTimer.invalidate();
        splashReady = true;
        pushStartupSnapshot();
        return;
    }
    if (isEngineOriginURL(url)) verifyClientMarker();
    // Any other origin (the inline splash included) leaves the timer to end it.
}

void MainWindow::didFailNavigation(NavigationId navigation, const WebError& error) {
    if (!isTrackedNavigation(navigation)) return;
    navigationTimer.invalidate();
    if (!isIgnorableNavigationError(error)) {
        engineInterrupted(error);
    } else if (hasEnginePage || splashVisible) {
        updateSurfaceVisibility();
    } else {
        showRecovery(false, false, false);
    }
}

void MainWindow::didFailProvisionalNavigation(NavigationId navigation, const WebError& error) {
    didFailNavigation(navigation, error);
}

void MainWindow::webContentProcessDidTerminate() {
    if (browserBridgeHandler) browserBridgeHandler->resetDocumentState();
    hasEnginePage = false;
    showRecovery(false, false, false);
}

// --- Marker check ------------------------------------------------------------------------

void MainWindow::verifyClientMarker() {
    std::weak_ptr<MainWindow> weakWindow = weak_from_this();
    std::weak_ptr<WebView> weakView = webView;
    std::string contextRevision = engineContext.revision();
    std::int64_t revision = navigationRevision;
    webView->evaluateJavaScript(markerCheckScript(expectsClientMarker),
        [weakWindow, weakView, contextRevision, revision](ScriptResult result) {
            auto strong = weakWindow.lock();
            auto view = weakView.lock();
            if (!strong || !view || view != strong->webView) return;
            if (strong->engineContext.revision() != contextRevision || strong->navigationRevision != revision)
                return;
            strong->navigationTimer.invalidate();
            bool accepted = !result.error && result.value && result.value->is_boolean() &&
                            result.value->get<bool>();
            if (!accepted) {
                strong->hasEnginePage = false;
                strong->showRecovery(false, false, false);
                return;
            }
            strong->hasEnginePage = true;
            strong->recoveryIncompatible = false;
            strong->recoverySecureConnectionFailure = false;
            strong->recoveryFailures = 0;
            strong->recoveryTimer.invalidate();
            strong->webView->setHidden(false);
            if (strong->recoveryView) {
                strong->recoveryView->removeFromSuperview();
                strong->recoveryView.reset();
                strong->recoveryRetryButton.reset();
            }
            strong->updateSurfaceVisibility();
        });
}

// --- Policies ----------------------------------------------------------------------------

NavigationActionPolicy MainWindow::decidePolicyForNavigationAction(const NavigationAction& action) {
    if (!action.hasTargetFrame || !action.targetIsMainFrame || !action.url) return NavigationActionPolicy::allow;
    const std::string& target = *action.url;
    std::optional<std::string> current = splashVisible || !webView ? std::nullopt : webView->url();
    if (action.type == NavigationType::backForward) {
        if (current && isEngineOriginURL(target) && isEngineOriginURL(current)) return NavigationActionPolicy::allow;
        logLine("[shell] blocked history navigation involving a Shell page");
        return NavigationActionPolicy::cancel;
    }
    auto parsed = Url::parse(target);
    bool about = parsed && asciiLowercase(parsed->scheme) == "about";
    if (isEngineOriginURL(target) || about || isSplashFileURL(target)) return NavigationActionPolicy::allow;
    if (action.type == NavigationType::linkActivated && bridgeHandler) bridgeHandler->openExternal(target);
    return NavigationActionPolicy::cancel;
}

NavigationResponsePolicy MainWindow::decidePolicyForNavigationResponse(const NavigationResponse& response) {
    if (response.isMainFrame && response.httpStatus && isEngineOriginURL(response.url)) {
        if (*response.httpStatus > 499 || response.header("x-pellora-recovery") == std::optional<std::string>("1")) {
            engineInterrupted(std::nullopt);
            return NavigationResponsePolicy::cancel;
        }
    }
    const auto& decide = environment_.bridges.decideDownload;
    return decide ? decide(response) : NavigationResponsePolicy::allow;
}

void MainWindow::createWebViewRequested(const NavigationAction& action) {
    if (!action.url) return;
    const auto& isDownload = environment_.bridges.isEngineDownloadURL;
    if (isDownload && isDownload(*action.url, engineURL)) {
        if (webView) webView->loadRequest(URLRequest{*action.url, 60, {}});
        return;
    }
    if (bridgeHandler) bridgeHandler->openExternal(*action.url);
}

// --- Interruption and recovery -----------------------------------------------------------

void MainWindow::engineInterrupted(const std::optional<WebError>& error) {
    bool secure = error && isSecureConnectionFailure(*error);
    if (hasEnginePage && webView) {
        std::string reason = secure ? "'secureConnection'" : "null";
        webView->evaluateJavaScript(
            "window.dispatchEvent(new CustomEvent('pellora:engine-interrupted', {detail:{reason:" + reason + "}}));",
            nullptr);
        updateSurfaceVisibility();
        return;
    }
    showRecovery(false, secure, false);
}

std::string MainWindow::recoveryText(const std::string& key) const {
    if (auto text = environment_.recoveryTexts.lookup(key, desktopLanguage())) return *text;
    return localizedText(TextTable::connection, 15);
}

void MainWindow::showRecovery(bool incompatible, bool secureFailure, bool connecting) {
    splashVisible = splashReady = false;
    ensureWindow();
    recoveryIncompatible = incompatible || recoveryIncompatible;
    recoverySecureConnectionFailure = secureFailure || recoverySecureConnectionFailure;
    recoveryConnecting = connecting;
    connectionButton->setHidden(false);
    setSurfacesVisible(false);
    webView->setHidden(true);
    if (recoveryView) recoveryView->removeFromSuperview();

    recoveryRetryButton.reset();
    auto container = environment_.application.views().makeContainer(Color::white(0.98));
    container->addSubview(buildRecoveryContent());
    window->contentView().addSubview(container);
    recoveryView = container;
    if (recoveryConnecting) {
        recoveryTimer.invalidate();
    } else {
        scheduleRecoveryRetry();
    }
}

std::shared_ptr<View> MainWindow::buildRecoveryContent() {
    auto& views = environment_.application.views();
    auto stack = views.makeVerticalStack(StackLayout{440, 24, 16});
    auto brand = views.makeLabel("Pellora", LabelStyle{Font{14, FontWeight::semibold}});
    stack->addArrangedSubview(brand);
    stack->setCustomSpacing(32, *brand);

    if (recoveryConnecting) {
        stack->addArrangedSubview(views.makeSpinner(24));
        StartupPresentation presentation;
        presentation.mode = engineContext.connection() ? StartupPresentation::Mode::remote
                                                       : StartupPresentation::Mode::normal;
        presentation.phase = StartupPhase::starting;
        presentation.since = EventLoop::main().wallClock();
        stack->addArrangedSubview(views.makeLabel(makeSnapshot(presentation, desktopLanguage()).heading,
                                                  LabelStyle{Font{24, FontWeight::semibold}, true, true}));
        return stack;
    }

    stack->addArrangedSubview(views.makeSymbolImage("wifi.slash", 24));
    stack->addArrangedSubview(
        views.makeLabel(recoveryText("title"), LabelStyle{Font{24, FontWeight::semibold}, true, true}));
    std::string messageKey = recoveryIncompatible             ? "incompat"
                             : recoverySecureConnectionFailure ? "secureConnection"
                             : engineContext.connection()      ? "remote"
                                                               : "local";
    stack->addArrangedSubview(
        views.makeLabel(recoveryText(messageKey), LabelStyle{Font{14, FontWeight::regular}, true, true, true}));
    ButtonStyle buttonStyle;
    buttonStyle.font = Font{14, FontWeight::medium};
    buttonStyle.bezel = ButtonBezel::rounded;
    buttonStyle.minHeight = 36;
    auto button = views.makeButton(recoveryText("retry"), buttonStyle);
    button->setAccessibilityLabel(recoveryText("retry"));
    button->setAction(weakClosure(weak_from_this(), [](MainWindow& self) { self.retryConnection(); }));
    stack->addArrangedSubview(button);
    recoveryRetryButton = button;
    return stack;
}

Duration MainWindow::recoveryRetryDelay(std::int64_t failures) {
    std::int64_t exponent = std::min<std::int64_t>(failures, 3);
    std::int64_t seconds = std::min<std::int64_t>(4LL << exponent, 30);
    return std::chrono::seconds(seconds);
}

void MainWindow::scheduleRecoveryRetry() {
    recoveryTimer.invalidate();
    if (!recoveryView || recoveryConnecting || recoveryIncompatible || recoverySecureConnectionFailure ||
        recoveryTask)
        return;
    recoveryTimer = EventLoop::main().startTimer(
        recoveryRetryDelay(recoveryFailures), false,
        weakClosure(weak_from_this(), [](MainWindow& self) { self.recoveryTimerFired(); }));
}

void MainWindow::recoveryTimerFired() {
    if (window && window->isVisible() && !window->isMiniaturized()) {
        attemptRecovery();
    } else {
        scheduleRecoveryRetry();
    }
}

void MainWindow::attemptRecovery() {
    if (recoveryTask) return;
    recoveryTimer.invalidate();
    recoveryFailures += 1;
    if (recoveryRetryButton) {
        recoveryRetryButton->setEnabled(false);
        recoveryRetryButton->setTitle(recoveryText("retrying"));
    }
    std::weak_ptr<MainWindow> weak = weak_from_this();
    recoveryTask = spawn([](std::weak_ptr<MainWindow> weakWindow) -> Task<void> {
        {
            auto strong = weakWindow.lock();
            auto ownerRef = strong ? strong->owner.lock() : nullptr;
            if (strong && ownerRef) {
                strong.reset();
                co_await ownerRef->recoverWindow(weakWindow.lock());
            }
        }
        // A closed window cancelled this attempt; it has nothing left to re-arm.
        if (co_await isCancelled()) co_return;
        if (auto strong = weakWindow.lock()) strong->finishRecoveryAttempt();
    }(weak));
}

void MainWindow::finishRecoveryAttempt() {
    recoveryTask.reset();
    if (recoveryRetryButton) {
        recoveryRetryButton->setEnabled(true);
        recoveryRetryButton->setTitle(recoveryText("retry"));
    }
    scheduleRecoveryRetry();
}

}  // namespace pellora
