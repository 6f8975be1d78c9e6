#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "shell/LocalizedText.h"

using namespace pellora;
using namespace pellora::testing;
using namespace std::chrono_literals;

namespace {

class ShellControllerTest : public ShellTest {
protected:
    ShellControllerTest() { controller = makeController(); }

    static std::optional<std::string> connectionID(const MainWindow& window) {
        const auto& connection = window.engineContext.connection();
        return connection ? std::optional(connection->id) : std::nullopt;
    }
};

TEST_F(ShellControllerTest, FirstWindowTakesTheDefaultConnectionOnlyWhenItIsSaved) {
    auto saved = addConnection("office");
    struct Case {
        std::optional<std::string> defaultID;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt},
        {makeUuidString(), std::nullopt},  // names no saved connection: local
        {saved.id, saved.id},
    };
    for (const auto& c : cases) {
        connections.state().defaultID = c.defaultID;
        auto window = controller->openWindow(false, false);
        EXPECT_EQ(connectionID(*window), c.expected) << c.defaultID.value_or("<none>");
        EXPECT_EQ(window->browserEnabled, !c.expected.has_value());
        native(*window).close();
        ASSERT_TRUE(controller->windows.empty());
    }
}

TEST_F(ShellControllerTest, NewWindowInheritsTheCurrentWindowsConnectionElseTheDefault) {
    auto office = addConnection("office", true);
    auto lab = addConnection("lab");
    auto first = controller->openWindow(false, false);
    ASSERT_EQ(connectionID(*first), office.id);

    first->loadConnection(lab, FakeLocalEngine::kURL, false, false);
    auto second = controller->openWindow(false, false);
    EXPECT_EQ(connectionID(*second), lab.id);

    // A local current window passes on "local", not the default connection.
    second->loadConnection(std::nullopt, FakeLocalEngine::kURL, true, false);
    auto third = controller->openWindow(false, false);
    EXPECT_EQ(connectionID(*third), std::nullopt);

    for (const auto& window : {first, second, third}) native(*window).close();
    ASSERT_TRUE(controller->windows.empty());
    EXPECT_EQ(connectionID(*controller->openWindow(false, false)), office.id);
}

TEST_F(ShellControllerTest, NewCompactWindowTwiceBringsTheExistingOneForward) {
    engine.alive = engine.ready = true;
    controller->managesLocalEngine = true;
    auto regular = controller->openWindow(false, false);
    controller->menuNewCompactChat();
    loop.runUntilIdle();
    ASSERT_EQ(controller->windows.size(), 2u);
    auto compact = controller->windows.back();
    ASSERT_TRUE(compact->compact);
    EXPECT_TRUE(lastLoadedURL(*compact).starts_with(FakeLocalEngine::kURL));
    EXPECT_TRUE(lastLoadedURL(*compact).ends_with("compact-chat"));

    native(*regular).becomeKey();
    const int activations = application.activateCount;
    const auto requests = web(*compact).loadedRequests.size();
    controller->menuNewCompactChat();
    loop.runUntilIdle();
    EXPECT_EQ(controller->windows.size(), 2u);
    EXPECT_EQ(application.createdWindows().size(), 2u);
    EXPECT_TRUE(native(*compact).isKeyWindow());
    EXPECT_EQ(application.activateCount, activations + 1);
    EXPECT_EQ(web(*compact).loadedRequests.size(), requests);  // brought forward, not reloaded

    // A regular window is never reused for a compact request.
    native(*compact).close();
    controller->menuNewCompactChat();
    loop.runUntilIdle();
    EXPECT_EQ(controller->windows.size(), 2u);
    EXPECT_TRUE(controller->windows.back()->compact);
}

TEST_F(ShellControllerTest, WindowOpenedDuringLocalStartupSharesTheSplashAndGetsTheEnginePageWithTheFirst) {
    auto lab = addConnection("lab");
    auto first = controller->openWindow(false, false);
    auto remote = controller->openWindow(false, false);
    remote->loadConnection(lab, FakeLocalEngine::kURL, false, false);
    native(*first).becomeKey();

    StartupPresentation presentation;
    presentation.mode = StartupPresentation::Mode::firstInstall;
    presentation.phase = StartupPhase::installing;
    presentation.since = 1'800'000'000;
    controller->setStartupPresentation(presentation);
    EXPECT_TRUE(first->splashVisible);
    EXPECT_FALSE(remote->splashVisible);

    controller->menuNewWindow();
    loop.runUntilIdle();
    ASSERT_EQ(controller->windows.size(), 3u);
    auto second = controller->windows.back();
    EXPECT_EQ(connectionID(*second), std::nullopt);
    EXPECT_TRUE(second->splashVisible);
    EXPECT_EQ(second->startupSnapshot, makeSnapshot(presentation, "en"));
    EXPECT_EQ(second->startupSnapshot, first->startupSnapshot);
    // The running startup loads it; the window does not connect by itself.
    EXPECT_TRUE(engine.launcher->launches.empty());
    EXPECT_EQ(lastLoadedURL(*second), "");

    controller->reloadLocalWindows();
    EXPECT_FALSE(controller->startupPresentation);
    auto opening = presentation;
    opening.phase = StartupPhase::opening;
    for (const auto& window : {first, second}) {
        EXPECT_EQ(window->startupSnapshot.step, makeSnapshot(opening, "en").step);
        EXPECT_EQ(lastLoadedURL(*window), FakeLocalEngine::kURL);
        EXPECT_FALSE(window->splashVisible);
    }
    EXPECT_EQ(lastLoadedURL(*remote), "");
}

TEST_F(ShellControllerTest, StartupPhaseKeepsSinceWhileThePhaseStaysAndRenewsItOnChange) {
    auto window = controller->openWindow(false, false);
    controller->setStartupPhase(StartupPhase::starting);
    ASSERT_TRUE(controller->startupPresentation);
    const double began = loop.wallClock();
    EXPECT_EQ(*controller->startupPresentation,
              (StartupPresentation{StartupPresentation::Mode::normal, StartupPhase::starting, began, false, false, ""}));

    loop.advance(5s);
    controller->setStartupPhase(StartupPhase::starting);
    EXPECT_EQ(controller->startupPresentation->since, began);
    loop.advance(5s);
    controller->setStartupPhase(StartupPhase::opening);
    EXPECT_EQ(controller->startupPresentation->since, began + 10);
    EXPECT_EQ(window->startupSnapshot, makeSnapshot(*controller->startupPresentation, "en"));

    // Everything else of an existing presentation stays.
    StartupPresentation upgrade{StartupPresentation::Mode::upgrade, StartupPhase::installing, 5, true, true, ""};
    controller->setStartupPresentation(upgrade);
    controller->setStartupPhase(StartupPhase::installing);
    EXPECT_EQ(*controller->startupPresentation, upgrade);
    controller->setStartupPhase(StartupPhase::components);
    upgrade.phase = StartupPhase::components;
    upgrade.since = loop.wallClock();
    EXPECT_EQ(*controller->startupPresentation, upgrade);
}

TEST_F(ShellControllerTest, StartupFailureWithALocalWindowShowsOnlyRecoveryViews) {
    auto lab = addConnection("lab");
    auto local = controller->openWindow(false, false);
    auto remote = controller->openWindow(false, false);
    remote->loadConnection(lab, FakeLocalEngine::kURL, false, false);
    controller->setStartupPhase(StartupPhase::starting);

    const std::pair<std::string, bool> messages[] = {
        {"The tool failed.", false},
        {localizedText(TextTable::connection, 11), true},
    };
    for (const auto& [message, incompatible] : messages) {
        controller->showStartupFailure("Couldn't start Pellora", message);
        EXPECT_FALSE(controller->startupPresentation);
        EXPECT_TRUE(local->recoveryView) << message;
        EXPECT_EQ(local->recoveryIncompatible, incompatible) << message;
        EXPECT_FALSE(local->recoverySecureConnectionFailure);
        EXPECT_FALSE(local->recoveryConnecting);
        EXPECT_FALSE(remote->recoveryView);
        EXPECT_TRUE(alerts.shown.empty());
    }
}

TEST_F(ShellControllerTest, StartupFailureWithOnlyRemoteWindowsShowsOneSheetOnTheCurrentWindow) {
    addConnection("lab", true);
    auto first = controller->openWindow(false, false);
    auto second = controller->openWindow(false, false);
    native(*first).becomeKey();
    controller->setStartupPhase(StartupPhase::starting);

    controller->showStartupFailure("Couldn't start Pellora", "The tool failed.");
    EXPECT_FALSE(controller->startupPresentation);
    ASSERT_EQ(alerts.shown.size(), 1u);
    const auto& shown = alerts.shown[0];
    EXPECT_EQ(shown.window, first->window.get());
    EXPECT_EQ(shown.alert.messageText, "Couldn't start Pellora");
    EXPECT_EQ(shown.alert.informativeText, "The tool failed.");
    EXPECT_EQ(shown.alert.buttons, (std::vector<std::string>{"OK"}));
    EXPECT_FALSE(shown.completion);
    EXPECT_FALSE(first->recoveryView);
    EXPECT_FALSE(second->recoveryView);

    // The current window already shows a sheet: nothing is stacked on it.
    controller->showStartupFailure("Pellora didn't finish starting", "Timed out.");
    EXPECT_EQ(alerts.shown.size(), 1u);
    // No window at all: nothing to attach to.
    native(*first).close();
    native(*second).close();
    controller->showStartupFailure("Couldn't start Pellora", "The tool failed.");
    EXPECT_EQ(alerts.shown.size(), 1u);
}

TEST_F(ShellControllerTest, CurrentWindowPrefersKeyThenLastActiveThenFrontMostThenLastOpened) {
    EXPECT_EQ(controller->currentWindow(), nullptr);
    auto w1 = controller->openWindow(false, false);
    auto w2 = controller->openWindow(false, false);
    auto w3 = controller->openWindow(false, false);
    EXPECT_EQ(controller->currentWindow(), w3);
    native(*w1).becomeKey();
    EXPECT_EQ(controller->currentWindow(), w1);

    // A window that is no Engine window takes the key (and main) role.
    auto panel = application.createWindow(WindowOptions{});
    panel->makeKeyAndOrderFrontRegardless();
    EXPECT_EQ(controller->currentWindow(), w1);  // the last window that became key
    controller->lastActiveWindow = w2;
    EXPECT_EQ(controller->currentWindow(), w2);

    // The last active window is gone: the front-most Engine window, not the last opened.
    native(*w2).close();
    application.orderFront(&native(*w1));
    ASSERT_EQ(controller->windows.back(), w3);
    EXPECT_EQ(controller->currentWindow(), w1);

    // None ordered in (hidden): the last opened.
    native(*w1).visible = false;
    native(*w3).visible = false;
    EXPECT_EQ(controller->currentWindow(), w3);

    native(*w1).close();
    native(*w3).close();
    EXPECT_EQ(controller->currentWindow(), nullptr);
}

TEST_F(ShellControllerTest, ClosingAWindowRemovesItAndReleasesTheConnectionsPanelTarget) {
    auto a = controller->openWindow(false, false);
    auto b = controller->openWindow(false, false);
    auto c = controller->openWindow(false, false);
    b->showConnections();
    ASSERT_EQ(controller->connectionTarget.lock(), b);

    native(*a).close();
    EXPECT_EQ(controller->windows, (std::vector{b, c}));
    EXPECT_EQ(controller->connectionTarget.lock(), b);
    native(*b).close();
    EXPECT_EQ(controller->windows, (std::vector{c}));
    EXPECT_EQ(controller->connectionTarget.lock(), nullptr);
    EXPECT_FALSE(controller->isWindowCurrent(b, b->engineContext.revision()));
    EXPECT_TRUE(controller->isWindowCurrent(c, c->engineContext.revision()));
}

TEST_F(ShellControllerTest, ConnectWindowLeavesAWindowReboundOrClosedWhileTheLivenessCheckRuns) {
    enum class Change { rebound, closed, none };
    engine.ready = true;
    for (Change change : {Change::rebound, Change::closed, Change::none}) {
        controller = makeController();
        auto window = controller->openWindow(false, false);
        engine.queue->hold = true;
        auto done = std::make_shared<bool>(false);
        spawn([](std::shared_ptr<ShellController> shell, std::shared_ptr<MainWindow> target,
                 std::shared_ptr<bool> flag) -> Task<void> {
            co_await shell->connectWindow(target);
            *flag = true;
        }(controller, window, done));
        loop.runUntilIdle();
        ASSERT_EQ(engine.queue->pending.size(), 1u);

        if (change == Change::rebound) window->loadConnection(std::nullopt, FakeLocalEngine::kURL, true, false);
        if (change == Change::closed) native(*window).close();
        engine.queue->release();
        ASSERT_TRUE(settle([&] { return *done; }));

        const bool connected = change == Change::none;
        EXPECT_EQ(controller->managesLocalEngine, connected) << static_cast<int>(change);
        EXPECT_EQ(engine.toolRuns.size(), connected ? 1u : 0u);
        EXPECT_EQ(lastLoadedURL(*window), connected ? FakeLocalEngine::kURL : "");
        EXPECT_FALSE(controller->startupInFlight);
    }
}

TEST_F(ShellControllerTest, StartupAdoptsAnEngineAlreadyRunningWithoutAnyPresentation) {
    engine.alive = engine.ready = true;
    std::vector<bool> presentationSeen;
    controller->statusObserver = [&](ShellStatus status) {
        statuses.push_back(status);
        presentationSeen.push_back(controller->startupPresentation.has_value());
    };
    ASSERT_TRUE(runToEnd(controller->runStartup()));

    ASSERT_EQ(controller->windows.size(), 1u);
    const auto& window = *controller->windows.front();
    EXPECT_EQ(statuses, (std::vector{ShellStatus::running}));
    EXPECT_EQ(presentationSeen, (std::vector{false}));
    EXPECT_TRUE(controller->managesLocalEngine);
    EXPECT_FALSE(controller->startupInFlight);
    EXPECT_FALSE(controller->startupPresentation);
    EXPECT_EQ(lastLoadedURL(window), FakeLocalEngine::kURL);
    EXPECT_FALSE(showedSplash(window));
    EXPECT_TRUE(engine.toolRuns.empty());
}

TEST_F(ShellControllerTest, StartupStartsAStoppedEngineBehindTheSplash) {
    engine.ready = true;
    ASSERT_TRUE(runToEnd(controller->runStartup()));

    const auto& window = *controller->windows.at(0);
    EXPECT_EQ(engine.toolRuns, (std::vector<std::vector<std::string>>{{"start"}}));
    EXPECT_EQ(statuses, (std::vector{ShellStatus::running}));
    EXPECT_TRUE(showedSplash(window));
    EXPECT_EQ(window.startupSnapshot.step,
              makeSnapshot(StartupPresentation{StartupPresentation::Mode::normal, StartupPhase::opening, 0, false,
                                               false, ""},
                           "en")
                  .step);
    EXPECT_EQ(lastLoadedURL(window), FakeLocalEngine::kURL);
    EXPECT_FALSE(controller->startupPresentation);
}

TEST_F(ShellControllerTest, EngineStartFailureIsLoggedAndReported) {
    engine.startScript.status = 1;
    engine.startScript.standardError = "port taken";
    const std::string error = "CLI exited with code 1. port taken";

    // A local window reports it in its recovery view.
    ASSERT_TRUE(runToEnd(controller->runStartup()));
    EXPECT_TRUE(log.contains("[shell] Failed to start engine: " + error));
    EXPECT_EQ(statuses.back(), ShellStatus::error);
    EXPECT_TRUE(controller->managesLocalEngine);
    EXPECT_FALSE(controller->startupPresentation);
    EXPECT_TRUE(controller->windows.at(0)->recoveryView);
    EXPECT_TRUE(alerts.shown.empty());

    // Only a remote window: the failure comes as a sheet.
    native(*controller->windows.at(0)).close();
    addConnection("lab", true);
    controller->openWindow(false, false);
    ASSERT_TRUE(runToEnd(controller->openLocalEngine()));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].alert.messageText, "Couldn't start Pellora");
    EXPECT_EQ(alerts.shown[0].alert.informativeText, error);
}

TEST_F(ShellControllerTest, EngineNotReadyWithinThirtySecondsIsAnError) {
    const auto started = loop.uptime();
    ASSERT_TRUE(runToEnd(controller->runStartup()));
    EXPECT_GE(loop.uptime() - started, 30s);
    EXPECT_LT(loop.uptime() - started, 32s);
    EXPECT_EQ(statuses.back(), ShellStatus::error);
    EXPECT_TRUE(controller->windows.at(0)->recoveryView);
    EXPECT_FALSE(controller->startupPresentation);
}

TEST_F(ShellControllerTest, WithoutAnInstallationNothingStartsAndTheWindowsSayWhy) {
    std::filesystem::remove_all(engine.installDir);
    ASSERT_TRUE(runToEnd(controller->runStartup()));
    EXPECT_TRUE(engine.toolRuns.empty());
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), ShellStatus::error);
    EXPECT_FALSE(controller->startupInFlight);
    EXPECT_FALSE(controller->managesLocalEngine);
    ASSERT_TRUE(controller->windows.at(0)->recoveryView);
    EXPECT_TRUE(alerts.shown.empty());
}

}  // namespace
