#include "MainWindowFixture.h"

#include <filesystem>
#include <fstream>

#include "base/Log.h"
#include "base/Uuid.h"

namespace pellora::testing {

using namespace std::chrono_literals;

TEST_F(MainWindowTest, ShowEnginePageLoadsWithTheDesktopHeaderBehindTheConnectingView) {
    auto window = windowLoadingEngine();
    auto& view = webView(*window);
    ASSERT_EQ(view.loadedRequests.size(), 1u);
    EXPECT_EQ(view.loadedRequests[0].url, kEngine);
    EXPECT_EQ(view.loadedRequests[0].headers.at("X-Pellora-Desktop-Navigation"), "1");
    EXPECT_EQ(view.loadedRequests[0].timeoutSeconds, 60);
    EXPECT_TRUE(window->recoveryConnecting);
    EXPECT_TRUE(view.isHidden());
    EXPECT_EQ(loop.pendingTimerCount(), 0u);  // the connecting form never retries by itself
}

TEST_F(MainWindowTest, CompactWindowLoadsCompactChat) {
    auto window = makeWindow(true);
    window->showEnginePage(kEngine);
    EXPECT_EQ(webView(*window).loadedRequests.back().url, std::string(kEngine) + "/compact-chat");
}

TEST_F(MainWindowTest, MarkerCheckAcceptsOnlyExactTrue) {
    struct Case {
        ScriptResult result;
        bool accepted;
    } cases[] = {
        {{Json(true), std::nullopt}, true},
        {{Json(false), std::nullopt}, false},
        {{Json(1), std::nullopt}, false},
        {{Json("true"), std::nullopt}, false},
        {{std::nullopt, std::nullopt}, false},
        {{Json(true), WebError{kWebKitErrorDomain, 1, "js"}}, false},
    };
    for (const auto& c : cases) {
        auto window = windowLoadingEngine();
        auto& view = webView(*window);
        auto nav = view.startNavigation(std::string(kEngine) + "/");
        view.finish(nav);
        ASSERT_EQ(view.pendingEvaluations.size(), 1u);
        // Local windows require the client marker as well as the absence of recovery markers.
        EXPECT_NE(view.pendingEvaluations[0].script.find("if (true)"), std::string::npos);
        EXPECT_NE(view.pendingEvaluations[0].script.find("[data-pellora-recovery]"), std::string::npos);
        view.answerEvaluation(c.result);
        EXPECT_EQ(window->hasEnginePage, c.accepted);
        EXPECT_EQ(window->recoveryView == nullptr, c.accepted);
        EXPECT_EQ(view.isHidden(), !c.accepted);
        EXPECT_FALSE(window->navigationTimer.isActive());
        nativeWindow(*window).close();
    }
}

TEST_F(MainWindowTest, StaleTimerAndMarkerResultsOfAnEarlierNavigationAreIgnored) {
    auto window = windowLoadingEngine();
    auto& view = webView(*window);
    auto first = view.startNavigation(std::string(kEngine) + "/a");
    view.finish(first);  // marker check of the first navigation pending
    loop.advance(20s);
    auto second = view.startNavigation(std::string(kEngine) + "/b");
    view.answerEvaluation({Json(true), std::nullopt});  // stale: revision moved on
    EXPECT_FALSE(window->hasEnginePage);
    loop.advance(15s);  // the first timer would have fired at 30 s
    EXPECT_TRUE(window->recoveryConnecting);
    view.finish(second);
    answerMarker(Json(true));
    EXPECT_TRUE(window->hasEnginePage);
}

TEST_F(MainWindowTest, MarkerResultAfterARebindIsIgnored) {
    auto window = windowLoadingEngine();
    auto& view = webView(*window);
    view.finish(view.startNavigation(kEngine));
    auto stale = std::move(view.pendingEvaluations.front());
    window->loadConnection(std::nullopt, kEngine, false, false);  // new revision, new web view
    stale.completion({Json(true), std::nullopt});
    EXPECT_FALSE(window->hasEnginePage);
}

TEST_F(MainWindowTest, NavigationTimeoutShowsRecoveryOrTellsARunningPage) {
    auto window = windowLoadingEngine();
    auto& view = webView(*window);
    view.startNavigation(kEngine);
    loop.advance(30s);
    EXPECT_FALSE(window->recoveryConnecting);
    EXPECT_NE(window->recoveryView, nullptr);
    EXPECT_EQ(view.stopCount, 1);
    EXPECT_EQ(window->currentNavigation, 0u);

    auto nav = view.startNavigation(kEngine);
    view.finish(nav);
    answerMarker(Json(true));
    ASSERT_TRUE(window->hasEnginePage);
    view.startNavigation(std::string(kEngine) + "/next");
    loop.advance(30s);
    EXPECT_TRUE(window->hasEnginePage);
    EXPECT_EQ(view.evaluatedScripts.back(),
              "window.dispatchEvent(new CustomEvent('pellora:engine-interrupted', {detail:{reason:null}}));");
}

TEST_F(MainWindowTest, SecureConnectionFailureTellsThePageItsReasonOrShowsItsOwnRecovery) {
    auto window = windowLoadingEngine();
    auto& view = webView(*window);
    view.failProvisional(view.startNavigation(kEngine), {kURLErrorDomain, -1202, "bad cert"});
    EXPECT_TRUE(window->recoverySecureConnectionFailure);
    EXPECT_FALSE(recoveryTexts(*window).empty());
    EXPECT_EQ(loop.pendingTimerCount(), 0u);  // no automatic retries for this form

    view.finish(view.startNavigation(kEngine));
    answerMarker(Json(true));
    view.fail(view.startNavigation(kEngine), {kURLErrorDomain, -1201, "bad cert"});
    EXPECT_EQ(view.evaluatedScripts.back(),
              "window.dispatchEvent(new CustomEvent('pellora:engine-interrupted', "
              "{detail:{reason:'secureConnection'}}));");
}

TEST_F(MainWindowTest, IgnorableFailuresKeepAnEnginePageButShowRecoveryWithoutOne) {
    auto window = windowLoadingEngine();
    auto& view = webView(*window);
    view.fail(view.startNavigation(kEngine), {kURLErrorDomain, -999, "cancelled"});
    EXPECT_FALSE(window->recoveryConnecting);
    EXPECT_NE(window->recoveryView, nullptr);

    view.finish(view.startNavigation(kEngine));
    answerMarker(Json(true));
    auto scriptsBefore = view.evaluatedScripts.size();
    view.fail(view.startNavigation(kEngine), {kWebKitErrorDomain, 102, "interrupted"});
    EXPECT_TRUE(window->hasEnginePage);
    EXPECT_EQ(window->recoveryView, nullptr);
    EXPECT_EQ(view.evaluatedScripts.size(), scriptsBefore);  // nothing dispatched
}

TEST_F(MainWindowTest, NavigationActionPolicy) {
    auto window = windowLoadingEngine();
    auto& view = webView(*window);
    view.finish(view.startNavigation(std::string(kEngine) + "/home"));
    answerMarker(Json(true));

    using P = NavigationActionPolicy;
    using T = NavigationType;
    struct Case {
        NavigationAction action;
        P policy;
    } cases[] = {
        {{std::string("https://elsewhere.example/"), true, false, T::linkActivated}, P::allow},  // sub-frame
        {{std::string("https://elsewhere.example/"), false, true, T::linkActivated}, P::allow},  // no target frame
        {{std::nullopt, true, true, T::other}, P::allow},
        {{std::string("http://LOCALHOST:9700/chat"), true, true, T::linkActivated}, P::allow},
        {{std::string("about:blank"), true, true, T::other}, P::allow},
        {{std::string("file:///opt/Pellora.app/Contents/Resources/splash.html"), true, true, T::other}, P::allow},
        {{std::string("file:///tmp/other.html"), true, true, T::other}, P::cancel},
        {{std::string("http://localhost:9701/"), true, true, T::other}, P::cancel},
        {{std::string("https://docs.example/x"), true, true, T::linkActivated}, P::cancel},
        {{std::string("http://localhost:9700/prev"), true, true, T::backForward}, P::allow},
        {{std::string("file:///x/splash.html"), true, true, T::backForward}, P::cancel},
    };
    for (const auto& c : cases)
        EXPECT_EQ(window->decidePolicyForNavigationAction(c.action), c.policy) << c.action.url.value_or("(none)");
    // Only the refused link activation goes out to the default browser.
    EXPECT_EQ(pageBridge->opened, std::vector<std::string>{"https://docs.example/x"});
}

TEST_F(MainWindowTest, HistoryNavigationIsRefusedAndLoggedWhileTheSplashShows) {
    LogCapture log;
    auto window = makeWindow();
    window->showSplash();
    webView(*window).currentURL = std::string(kEngine) + "/was-here";
    NavigationAction back{std::string(kEngine) + "/", true, true, NavigationType::backForward};
    EXPECT_EQ(window->decidePolicyForNavigationAction(back), NavigationActionPolicy::cancel);
    EXPECT_TRUE(log.contains("[shell] blocked history navigation involving a Shell page"));
}

TEST_F(MainWindowTest, ResponsePolicyInterruptsOnServerErrorsAndTheRecoveryHeader) {
    auto window = windowLoadingEngine();
    using P = NavigationResponsePolicy;
    struct Case {
        NavigationResponse response;
        P policy;
    } cases[] = {
        {{std::string(kEngine) + "/", true, 200, {}}, P::allow},
        {{std::string(kEngine) + "/", true, 499, {}}, P::allow},
        {{std::string(kEngine) + "/", true, 500, {}}, P::cancel},
        {{std::string(kEngine) + "/", true, 503, {}}, P::cancel},
        {{std::string(kEngine) + "/", true, 200, {{"x-pellora-recovery", "1"}}}, P::cancel},
        {{std::string(kEngine) + "/", true, 200, {{"x-pellora-recovery", "true"}}}, P::allow},
        {{std::string(kEngine) + "/", false, 503, {}}, P::allow},       // sub-frame
        {{"http://other.example/", true, 503, {}}, P::allow},           // another origin
        {{"file:///x/splash.html", true, std::nullopt, {}}, P::allow},  // not HTTP
    };
    for (const auto& c : cases) {
        EXPECT_EQ(window->decidePolicyForNavigationResponse(c.response), c.policy)
            << c.response.url << " " << c.response.httpStatus.value_or(0);
    }
    EXPECT_FALSE(window->hasEnginePage);
    EXPECT_FALSE(window->recoveryConnecting);  // the interruption replaced the connecting view
}

TEST_F(MainWindowTest, NewWindowRequestsNeverOpenAWindow) {
    bridges.isEngineDownloadURL = [](const std::string& url, const std::string&) {
        return url.find("/api/pellora/files/download") != std::string::npos;
    };
    auto window = windowLoadingEngine();
    auto& view = webView(*window);
    auto loadsBefore = view.loadedRequests.size();
    window->createWebViewRequested({std::string(kEngine) + "/api/pellora/files/download?p=a", true, true,
                                    NavigationType::linkActivated});
    window->createWebViewRequested({std::string("https://docs.example/"), true, true, NavigationType::other});
    window->createWebViewRequested({std::nullopt, true, true, NavigationType::other});
    ASSERT_EQ(view.loadedRequests.size(), loadsBefore + 1);
    EXPECT_EQ(view.loadedRequests.back().url, std::string(kEngine) + "/api/pellora/files/download?p=a");
    EXPECT_EQ(pageBridge->opened, std::vector<std::string>{"https://docs.example/"});
    EXPECT_EQ(application.createdWindows().size(), 1u);
}

TEST_F(MainWindowTest, SplashLoadsTheBundleResourceOrTheInlineFallback) {
    LogCapture log;
    auto window = makeWindow();
    window->showSplash();
    auto& view = webView(*window);
    EXPECT_TRUE(view.loadedFiles.empty());
    ASSERT_EQ(view.loadedHTML.size(), 1u);
    EXPECT_NE(view.loadedHTML[0].find("Starting Pellora\u2026"), std::string::npos);
    EXPECT_TRUE(log.contains("[shell] splash.html missing from bundle; using inline fallback"));
    EXPECT_TRUE(nativeWindow(*window).accessory->isHidden());

    // The inline page is not a splash file: it never becomes ready and its timer ends it.
    view.finish(view.startNavigation("about:blank"));
    EXPECT_FALSE(window->splashReady);
    EXPECT_TRUE(window->navigationTimer.isActive());
}

TEST_F(MainWindowTest, FinishedSplashFileReceivesTheSnapshot) {
    auto dir = std::filesystem::temp_directory_path() / ("pellora-bundle-" + makeUuidString());
    std::filesystem::create_directories(dir / "Contents/Resources");
    std::ofstream(dir / "Contents/Resources/splash.html") << "<html></html>";
    bundle = FakeBundleInfo(dir);
    auto window = makeWindow();
    window->showSplash();
    auto& view = webView(*window);
    ASSERT_EQ(view.loadedFiles.size(), 1u);
    view.finish(view.startNavigation("file://" + view.loadedFiles[0]));
    EXPECT_TRUE(window->splashReady);
    EXPECT_FALSE(window->navigationTimer.isActive());
    ASSERT_FALSE(view.evaluatedScripts.empty());
    EXPECT_EQ(view.evaluatedScripts.back().rfind("window.setStartup({", 0), 0u);
    std::filesystem::remove_all(dir);
}

TEST_F(MainWindowTest, LoadConnectionClearsRecoveryFlagsOnlyForAnotherConnectionOrURL) {
    EngineConnection remote{"6F1E0C1A-0000-4000-8000-000000000001", "Lab", "https://lab.example", {}};
    EngineConnection other{"6F1E0C1A-0000-4000-8000-000000000002", "Other", "https://other.example", {}};
    auto window = makeWindow();
    window->loadConnection(remote, kEngine, true, false);
    window->showRecovery(true, true, false);

    window->loadConnection(remote, kEngine, true, false);
    EXPECT_TRUE(window->recoveryIncompatible);
    EXPECT_TRUE(window->recoverySecureConnectionFailure);

    window->loadConnection(other, kEngine, true, false);
    EXPECT_FALSE(window->recoveryIncompatible);
    EXPECT_FALSE(window->recoverySecureConnectionFailure);

    window->loadConnection(std::nullopt, kEngine, true, false);
    window->showRecovery(true, false, false);
    window->loadConnection(std::nullopt, "http://localhost:9800", true, false);
    EXPECT_FALSE(window->recoveryIncompatible);
}

TEST_F(MainWindowTest, LoadConnectionRenewsTheRevisionAndRebuildsTheWebView) {
    auto window = makeWindow();
    auto revision = window->engineContext.revision();
    auto firstView = window->webView;
    auto firstBridge = pageBridge;
    EngineConnection remote{"6F1E0C1A-0000-4000-8000-000000000001", "Lab", "https://lab.example",
                            EngineConnectionColor::teal};
    window->loadConnection(remote, kEngine, false, true);
    EXPECT_NE(window->engineContext.revision(), revision);
    EXPECT_NE(window->webView, firstView);
    EXPECT_FALSE(firstBridge->valid);
    EXPECT_EQ(window->engineURL, "https://lab.example");
    EXPECT_TRUE(window->expectsClientMarker);
    EXPECT_EQ(nativeWindow(*window).title(), "Pellora - Lab");
    EXPECT_TRUE(nativeWindow(*window).titlebarAppearsTransparent());
    EXPECT_EQ(nativeWindow(*window).backgroundColor(), (Color{0.85, 0.95, 0.94}));
    EXPECT_EQ(nativeWindow(*window).content->subviews.size(), 1u);

    EngineConnection renamed = remote;
    renamed.name = "Lab 2";
    auto kept = window->engineContext.revision();
    window->applyConnectionUpdate(renamed);
    EXPECT_EQ(nativeWindow(*window).title(), "Pellora - Lab 2");
    EXPECT_EQ(window->engineContext.revision(), kept);
    renamed.origin = "https://moved.example";
    window->applyConnectionUpdate(renamed);
    EXPECT_EQ(nativeWindow(*window).title(), "Pellora - Lab 2");
}

TEST_F(MainWindowTest, LocalWindowTitleBarAndContextMenuBlocker) {
    auto window = makeWindow();
    auto& native = nativeWindow(*window);
    EXPECT_EQ(native.title(), "Pellora - This Mac");
    EXPECT_FALSE(native.titlebarAppearsTransparent());
    EXPECT_EQ(native.backgroundColor(), Color::white(0.98));
    auto* button = dynamic_cast<FakeButton*>(native.accessory.get());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->title(), "This Mac \u25BE");
    EXPECT_EQ(button->accessibilityLabel(), "Engine connections");
    EXPECT_EQ(native.options.contentSize, (Size{1200, 800}));
    const auto& scripts = webView(*window).configuration.userScripts;
    ASSERT_FALSE(scripts.empty());
    EXPECT_EQ(scripts.back().source, "addEventListener('contextmenu', event => event.preventDefault(), true);");
    EXPECT_FALSE(scripts.back().mainFrameOnly);
    EXPECT_EQ(scripts.back().worldName, std::optional<std::string>("PelloraShellContextMenu"));
}

}  // namespace pellora::testing
