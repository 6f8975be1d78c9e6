#include "MainWindowFixture.h"

#include "shell/LocalizedText.h"

namespace pellora::testing {

using namespace std::chrono_literals;

namespace {

// Puts a window into the plain recovery view (the first Engine load failed) at time 0.
void failFirstLoad(FakeWebView& view) {
    view.fail(view.startNavigation("http://localhost:9700"), {kURLErrorDomain, -1004, "refused"});
}

}  // namespace

TEST(MainWindowRetryDelay, GrowsFrom4To30Seconds) {
    std::vector<long long> delays;
    for (int failures = 0; failures <= 5; ++failures)
        delays.push_back(std::chrono::duration_cast<std::chrono::seconds>(MainWindow::recoveryRetryDelay(failures)).count());
    EXPECT_EQ(delays, (std::vector<long long>{4, 8, 16, 30, 30, 30}));
}

TEST_F(MainWindowTest, AutomaticAttemptsFollowTheGrowingScheduleWhileEveryAttemptFails) {
    auto window = windowLoadingEngine();
    failFirstLoad(webView(*window));
    EXPECT_EQ(recoveryTexts(*window),
              (std::vector<std::string>{"Pellora", "Temporarily unable to connect to Pellora",
                                        "Unable to connect to Pellora on this computer. Please retry.", "Retry"}));
    loop.advance(200s);
    EXPECT_EQ(owner->recoverTimes, (std::vector<long long>{4, 12, 28, 58, 88, 118, 148, 178}));
    EXPECT_EQ(window->recoveryFailures, 8);
}

TEST_F(MainWindowTest, HiddenOrMiniaturizedWindowsRearmWithoutAttemptingOrCounting) {
    auto window = windowLoadingEngine();
    failFirstLoad(webView(*window));
    auto& native = nativeWindow(*window);
    native.miniaturize();
    loop.advance(20s);  // fires at 4, 8, 12, 16, 20: each re-arms 4 seconds
    EXPECT_TRUE(owner->recoverTimes.empty());
    EXPECT_EQ(window->recoveryFailures, 0);
    native.deminiaturize();
    native.visible = false;
    loop.advance(4s);
    EXPECT_TRUE(owner->recoverTimes.empty());
    native.visible = true;
    loop.advance(4s);
    EXPECT_EQ(owner->recoverTimes, std::vector<long long>{28});
    EXPECT_EQ(window->recoveryFailures, 1);
}

TEST_F(MainWindowTest, RetryButtonAndBecomingKeyAttemptAtOnceAndOnlyOneAttemptRuns) {
    auto window = windowLoadingEngine();
    failFirstLoad(webView(*window));
    auto* button = dynamic_cast<FakeButton*>(window->recoveryRetryButton.get());
    ASSERT_NE(button, nullptr);
    button->press();
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->title(), "Reconnecting");
    window->windowDidBecomeKey();  // an attempt is already running: nothing more
    loop.runUntilIdle();
    EXPECT_EQ(owner->recoverTimes, std::vector<long long>{0});
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(button->title(), "Retry");
    EXPECT_EQ(owner->lastActive.lock(), window);

    nativeWindow(*window).becomeKey();
    loop.runUntilIdle();
    EXPECT_EQ(owner->recoverTimes.size(), 2u);
    loop.advance(15s);  // two failures: the next automatic attempt waits 16 seconds
    EXPECT_EQ(owner->recoverTimes.size(), 2u);
    loop.advance(1s);
    EXPECT_EQ(owner->recoverTimes.size(), 3u);
}

TEST_F(MainWindowTest, IncompatibleAndConnectingFormsDoNotRetryAutomatically) {
    auto window = makeWindow();
    window->showRecovery(true, false, false);
    EXPECT_EQ(recoveryTexts(*window)[2], "Could not connect");  // "incompat" has no built-in text
    loop.advance(120s);
    EXPECT_TRUE(owner->recoverTimes.empty());
    window->windowDidBecomeKey();
    loop.runUntilIdle();
    EXPECT_TRUE(owner->recoverTimes.empty());
    window->retryConnection();  // the button still works
    loop.runUntilIdle();
    EXPECT_EQ(owner->recoverTimes.size(), 1u);

    window->showRecovery(false, false, true);
    EXPECT_TRUE(window->recoveryIncompatible);  // flags stay until accepted or rebound
    EXPECT_EQ(window->recoveryRetryButton, nullptr);
}

TEST_F(MainWindowTest, AcceptedPageResetsFailuresAndStopsRetrying) {
    auto window = windowLoadingEngine();
    failFirstLoad(webView(*window));
    loop.advance(4s);
    ASSERT_EQ(window->recoveryFailures, 1);
    auto& view = webView(*window);
    view.finish(view.startNavigation("http://localhost:9700/"));
    answerMarker(Json(true));
    EXPECT_EQ(window->recoveryFailures, 0);
    EXPECT_EQ(window->recoveryView, nullptr);
    loop.advance(100s);
    EXPECT_EQ(owner->recoverTimes.size(), 1u);
}

TEST_F(MainWindowTest, CrashedWebProcessShowsRecovery) {
    auto window = windowLoadingEngine();
    auto& view = webView(*window);
    view.finish(view.startNavigation("http://localhost:9700/"));
    answerMarker(Json(true));
    view.crash();
    EXPECT_FALSE(window->hasEnginePage);
    EXPECT_NE(window->recoveryView, nullptr);
    EXPECT_TRUE(view.isHidden());
}

TEST_F(MainWindowTest, ClosingCancelsTheAttemptTearsDownAndTellsTheOwner) {
    auto window = windowLoadingEngine();
    failFirstLoad(webView(*window));
    auto bridge = pageBridge;
    nativeWindow(*window).close();
    EXPECT_EQ(window->webView, nullptr);
    EXPECT_EQ(window->recoveryView, nullptr);
    EXPECT_FALSE(bridge->valid);
    ASSERT_EQ(owner->closed.size(), 1u);
    EXPECT_EQ(owner->closed[0], window);
    loop.advance(100s);
    EXPECT_TRUE(owner->recoverTimes.empty());
}

TEST_F(MainWindowTest, ReloadOnlyWithAnEnginePageAndBackToTheEngineWhenAway) {
    auto window = makeWindow(true);
    window->showEnginePage(kEngine);
    EXPECT_FALSE(window->canReloadEnginePage());
    auto& view = webView(*window);
    view.finish(view.startNavigation(std::string(kEngine) + "/compact-chat"));
    answerMarker(Json(true));
    ASSERT_TRUE(window->canReloadEnginePage());
    view.currentURL = std::string(kEngine) + "/compact-chat?x=1";
    window->reloadEnginePage(false);
    EXPECT_EQ(view.loadedRequests.back().url, std::string(kEngine) + "/compact-chat?x=1");
    view.currentURL = "https://elsewhere.example/";
    window->reloadEnginePage(false);
    EXPECT_EQ(view.loadedRequests.back().url, std::string(kEngine) + "/compact-chat");
}

TEST_F(MainWindowTest, WindowsCascadeFromTheOwnersCurrentWindow) {
    auto first = makeWindow();
    owner->current = first;
    auto second = makeWindow();
    auto origin = nativeWindow(*first).frameOrigin();
    EXPECT_TRUE(nativeWindow(*first).centred);
    EXPECT_EQ(nativeWindow(*second).frameOrigin(), (Point{origin.x + 22, origin.y - 22}));
    auto compact = makeWindow(true);
    EXPECT_EQ(nativeWindow(*compact).options.contentSize, (Size{460, 720}));
    EXPECT_EQ(nativeWindow(*compact).options.minSize, (std::optional<Size>(Size{360, 480})));
}

}  // namespace pellora::testing

namespace pellora::testing {

TEST_F(MainWindowTest, LanguageChangeRetitlesTheWindowAndRebuildsTheRecoveryView) {
    auto window = windowLoadingEngine();
    failFirstLoad(webView(*window));
    defaults.setString("pellora.desktop.locale", "de");
    NotificationCenter::defaultCenter().post("PelloraConnectionLanguageDidChange");
    auto& native = nativeWindow(*window);
    EXPECT_EQ(native.title(), "Pellora - " + localizedText(TextTable::connection, 1, "de"));
    EXPECT_NE(native.title(), "Pellora - This Mac");
    auto* button = dynamic_cast<FakeButton*>(native.accessory.get());
    EXPECT_EQ(button->accessibilityLabel(), localizedText(TextTable::connection, 0, "de"));
    EXPECT_NE(window->recoveryView, nullptr);
    EXPECT_FALSE(window->recoveryConnecting);
}

}  // namespace pellora::testing
