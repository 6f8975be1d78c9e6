#include "shell/ShellController.h"

#include <algorithm>

#include "base/Log.h"
#include "base/Weak.h"
#include "engine/EngineError.h"
#include "shell/DesktopLanguage.h"
#include "shell/LocalizedText.h"
#include "windows/OriginRules.h"

namespace pellora {

ShellController::ShellController(ShellEnvironment environment, EngineConnectionStore& connectionStore,
                                 std::shared_ptr<EngineManager> manager)
    : engineManager(std::move(manager)), connections(connectionStore), environment_(environment) {}

// --- Status ----------------------------------------------------------------------------------

void ShellController::setStatus(ShellStatus status) {
    currentStatus = status;
    if (statusObserver) statusObserver(status);
}

// --- Start -----------------------------------------------------------------------------------

void ShellController::startShell() {
    currentStatus = ShellStatus::starting;
    // The status item subscribes through statusObserver and the update framework starts
    // here once they exist; until then the shell runs without them.
    std::weak_ptr<ShellController> weak = weak_from_this();
    tasks_.emplace_back(spawn([](std::weak_ptr<ShellController> weakSelf) -> Task<void> {
        if (auto self = weakSelf.lock()) co_await self->runStartup();
    }(weak)));
}

// --- Presentation ----------------------------------------------------------------------------

void ShellController::giveSnapshot(MainWindow& window, const StartupPresentation& presentation) {
    window.startupSnapshot = makeSnapshot(presentation, desktopLanguage());
    window.showSplash();
    window.pushStartupSnapshot();
}

void ShellController::setStartupPresentation(const StartupPresentation& presentation) {
    startupPresentation = presentation;
    for (const auto& window : std::vector(windows)) {
        if (isLocal(*window)) giveSnapshot(*window, presentation);
    }
}

void ShellController::setStartupPhase(StartupPhase phase) {
    StartupPresentation presentation;
    if (startupPresentation) {
        presentation = *startupPresentation;
    } else {
        presentation.mode = StartupPresentation::Mode::normal;
        presentation.phase = StartupPhase::starting;
        presentation.since = EventLoop::main().wallClock();
    }
    if (presentation.phase != phase) presentation.since = EventLoop::main().wallClock();
    presentation.phase = phase;
    setStartupPresentation(presentation);
}

void ShellController::reloadLocalWindows() {
    if (startupPresentation) setStartupPhase(StartupPhase::opening);
    startupPresentation.reset();
    std::string url = engineManager->engineBaseURL();
    for (const auto& window : std::vector(windows)) {
        if (isLocal(*window)) window->showEnginePage(url);
    }
}

void ShellController::showStartupFailure(const std::string& title, const std::string& message) {
    startupPresentation.reset();
    bool incompatible = message == localizedText(TextTable::connection, 11);
    bool anyLocal = false;
    for (const auto& window : std::vector(windows)) {
        if (!isLocal(*window)) continue;
        anyLocal = true;
        window->showRecovery(incompatible, false, false);
    }
    if (anyLocal) return;
    auto current = currentWindow();
    if (!current || !current->window || current->window->hasAttachedSheet()) return;
    environment_.alerts.beginSheet(*current->window,
                                   AlertSpec{title, message, {localizedText(TextTable::shell, 5)}}, nullptr);
}

// --- Connecting windows ------------------------------------------------------------------------

Task<void> ShellController::connectWindow(std::shared_ptr<MainWindow> window) {
    const std::string revision = window->engineContext.revision();
    if (!isWindowCurrent(window, revision)) co_return;
    auto connection = window->engineContext.connection();

    if (!connection) {
        bool alive = co_await engineManager->isEngineAlive();
        if (!isWindowCurrent(window, revision)) co_return;
        if (startupPresentation) {
            giveSnapshot(*window, *startupPresentation);
        } else if (!alive) {
            co_await startLocalEngine();
        } else if (!managesLocalEngine) {
            co_await openLocalEngine();
        } else {
            window->showEnginePage(engineManager->engineBaseURL());
        }
        co_return;
    }

    StartupPresentation presentation;
    presentation.mode = StartupPresentation::Mode::remote;
    presentation.phase = StartupPhase::starting;
    presentation.since = EventLoop::main().wallClock();
    presentation.remoteName = connection->name;
    giveSnapshot(*window, presentation);

    const auto& handshake = environment_.remoteHandshake;
    if (!handshake) {
        // Remote Engines cannot be verified in this build: never show an unverified one.
        logLine("[shell] Remote Engine handshake is unavailable; not loading " + connection->origin);
        window->showRecovery(false, false, false);
        co_return;
    }
    std::optional<std::vector<std::string>> capabilities;
    std::optional<Error> failure;
    try {
        capabilities = co_await handshake(connection->origin);
    } catch (const Error& error) {
        failure = error;
    } catch (const std::exception& error) {
        failure = Error("Pellora.Connection", 0, error.what());
    }
    if (!isWindowCurrent(window, revision)) co_return;
    if (failure) {
        window->showRecovery(failure->localizedDescription() == localizedText(TextTable::connection, 11),
                             isSecureConnectionFailure(WebError{failure->domain(), failure->code(), {}}),
                             false);
        co_return;
    }
    auto has = [&](const char* capability) {
        return std::find(capabilities->begin(), capabilities->end(), capability) != capabilities->end();
    };
    window->loadConnection(connection, engineManager->engineBaseURL(), has("browser.v1"), has("client.recovery.v1"));
    window->showEnginePage(connection->origin);
    setStatus(ShellStatus::running);
}

// --- Windows ---------------------------------------------------------------------------------

std::optional<EngineConnection> ShellController::defaultConnection() const {
    auto state = connections.state();
    if (!state.defaultID) return std::nullopt;
    for (const auto& connection : state.connections) {
        if (connection.id == *state.defaultID) return connection;
    }
    return std::nullopt;
}

std::shared_ptr<MainWindow> ShellController::openWindow(bool load, bool compact) {
    if (compact) {
        for (const auto& window : windows) {
            if (window->compact) {
                window->showWindow();
                activateApplication();
                return window;
            }
        }
    }
    auto current = currentWindow();
    EngineWindowContext context(current ? &current->engineContext : nullptr, defaultConnection());
    auto window = MainWindow::create(environment_.windows, compact);
    window->owner = weak_from_this();
    window->engineManager = engineManager;
    bool local = !context.connection().has_value();
    window->loadConnection(context.connection(), engineManager->engineBaseURL(), local, false);
    windows.push_back(window);
    window->showWindow();
    if (local && startupPresentation) {
        giveSnapshot(*window, *startupPresentation);
        return window;
    }
    if (load) {
        std::erase_if(tasks_, [](const ScopedTask& task) { return task.handle().isFinished(); });
        std::weak_ptr<ShellController> weak = weak_from_this();
        tasks_.emplace_back(spawn([](std::weak_ptr<ShellController> weakSelf,
                                     std::shared_ptr<MainWindow> target) -> Task<void> {
            if (auto self = weakSelf.lock()) co_await self->connectWindow(std::move(target));
        }(weak, window)));
    }
    return window;
}

std::shared_ptr<MainWindow> ShellController::currentWindow() {
    auto& app = environment_.application;
    auto windowFor = [this](const std::shared_ptr<NativeWindow>& native) -> std::shared_ptr<MainWindow> {
        if (!native) return nullptr;
        for (const auto& window : windows)
            if (window->window == native) return window;
        return nullptr;
    };
    if (auto window = windowFor(app.keyWindow())) return window;
    if (auto window = windowFor(app.mainWindow())) return window;
    if (auto last = lastActiveWindow.lock();
        last && std::find(windows.begin(), windows.end(), last) != windows.end())
        return last;
    for (const auto& native : app.orderedWindows())
        if (auto window = windowFor(native)) return window;
    if (!windows.empty()) return windows.back();
    return nullptr;
}

void ShellController::activateApplication() { environment_.application.activate(); }

std::shared_ptr<MainWindow> ShellController::showOrCreateWindow() {
    if (auto current = currentWindow()) {
        current->showWindow();
        activateApplication();
        return current;
    }
    activateApplication();
    return openWindow(true, false);
}

void ShellController::windowDidClose(const std::shared_ptr<MainWindow>& window) {
    std::erase(windows, window);
    if (connectionTarget.lock() == window) connectionTarget.reset();
}

bool ShellController::isWindowCurrent(const std::shared_ptr<MainWindow>& window,
                                      const std::string& revision) const {
    return std::find(windows.begin(), windows.end(), window) != windows.end() &&
           window->engineContext.revision() == revision;
}

std::shared_ptr<MainWindow> ShellController::ensureWindow() {
    if (auto current = currentWindow()) return current;
    return openWindow(false, false);
}

// --- Recovery --------------------------------------------------------------------------------

Task<void> ShellController::recoverWindow(std::shared_ptr<MainWindow> window) {
    if (!window || std::find(windows.begin(), windows.end(), window) == windows.end()) co_return;
    if (startupInFlight || switchingConnection) co_return;
    co_await connectWindow(window);
}

void ShellController::showConnectionsPanel(const std::shared_ptr<MainWindow>& window) {
    // The connections panel remembers which window it acts on.
    connectionTarget = window;
}

// --- Quitting ----------------------------------------------------------------------------------

void ShellController::requestQuit() {
    if (startupInFlight || switchingConnection) return;
    // The confirmation with in-flight work and the tiered Engine stop are not built yet:
    // quitting terminates at once and leaves the local Engine running. Deferred to the loop
    // so the terminate request that asked has been answered first.
    EventLoop::main().post(weakClosure(weak_from_this(), [](ShellController& self) {
        if (self.confirmTermination) self.confirmTermination();
    }));
}

// --- Local Engine startup ----------------------------------------------------------------------

Task<void> ShellController::runStartup() {
    auto window = openWindow(false, false);
    if (isLocal(*window)) {
        co_await startLocalEngine();
    } else {
        co_await connectWindow(window);
    }
}

Task<void> ShellController::startLocalEngine() {
    if (startupInFlight) co_return;
    startupInFlight = true;
    if (managesLocalEngine || engineManager->hasInstallation()) {
        co_await openLocalEngine();
    } else {
        // Installing the Engine from the bundled payload is not part of this build yet: the
        // user meets what a failed first installation shows.
        setStatus(ShellStatus::error);
        showStartupFailure(localizedText(TextTable::shell, 19), EngineError::noInstallationFound().localizedDescription());
    }
    startupInFlight = false;
    startupPresentation.reset();
}

Task<void> ShellController::openLocalEngine() {
    managesLocalEngine = true;
    ensureWindow();
    if (co_await engineManager->isEngineAlive()) {
        setStatus(ShellStatus::running);
        reloadLocalWindows();
        co_return;
    }
    setStartupPhase(StartupPhase::starting);
    std::optional<std::string> startFailure;
    try {
        co_await engineManager->start();
    } catch (...) {
        startFailure = describeCurrentException();
    }
    if (startFailure) {
        logLine("[shell] Failed to start engine: " + *startFailure);
        setStatus(ShellStatus::error);
        showStartupFailure(localizedText(TextTable::shell, 20), *startFailure);
        co_return;
    }
    if (co_await engineManager->waitUntilReady(30)) {
        setStatus(ShellStatus::running);
        reloadLocalWindows();
        co_return;
    }
    setStatus(ShellStatus::error);
    showStartupFailure(localizedText(TextTable::shell, 21), localizedText(TextTable::shell, 22));
}

}  // namespace pellora
