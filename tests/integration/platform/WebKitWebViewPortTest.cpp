#include "platform/linux/WebKitWebViewPort.h"

#include <gtest/gtest.h>

#include "integration/platform/GtkTestEnvironment.h"
#include "integration/platform/LoopbackHttpServer.h"
#include "integration/platform/TempHome.h"
#include "platform/linux/WebKitWebViewFactory.h"

namespace pellora {
namespace {

using testing::iterateUntil;

// JSON equality that ignores the order of object keys (WebKit does not keep it).
bool sameJson(const std::optional<Json>& a, const Json& b) {
    return a && nlohmann::json::parse(a->dump()) == nlohmann::json::parse(b.dump());
}
using testing::LoopbackHttpServer;

struct Event {
    std::string kind;
    NavigationId id;
    std::optional<WebError> error;
};

class RecordingDelegate final : public WebViewDelegate {
public:
    void didStartProvisionalNavigation(NavigationId id) override { events.push_back({"start", id, {}}); }
    void didCommitNavigation(NavigationId id) override { events.push_back({"commit", id, {}}); }
    void didFinishNavigation(NavigationId id) override { events.push_back({"finish", id, {}}); }
    void didFailNavigation(NavigationId id, const WebError& e) override { events.push_back({"fail", id, e}); }
    void didFailProvisionalNavigation(NavigationId id, const WebError& e) override {
        events.push_back({"failProvisional", id, e});
    }
    NavigationActionPolicy decidePolicyForNavigationAction(const NavigationAction& action) override {
        actions.push_back(action);
        return NavigationActionPolicy::allow;
    }
    NavigationResponsePolicy decidePolicyForNavigationResponse(const NavigationResponse& response) override {
        responses.push_back(response);
        return responsePolicy;
    }
    bool ended() const {
        return !events.empty() && (events.back().kind == "finish" || events.back().kind.starts_with("fail"));
    }

    std::vector<Event> events;
    std::vector<NavigationAction> actions;
    std::vector<NavigationResponse> responses;
    NavigationResponsePolicy responsePolicy = NavigationResponsePolicy::allow;
};

class WebKitWebViewPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        PELLORA_REQUIRE_DISPLAY();
        static testing::TempDir data;
        static WebKitWebViewFactory factory({std::filesystem::path(PELLORA_BUNDLE_DIR) /
                                                 "Contents/Frameworks/WebExtensions",
                                             data.path() / "data", data.path() / "cache"});
        factory_ = &factory;
    }

    std::shared_ptr<WebKitWebViewPort> makeView(std::vector<UserScript> scripts = {}) {
        auto view = std::static_pointer_cast<WebKitWebViewPort>(
            factory_->makeWebView(WebViewConfiguration{true, std::move(scripts)}));
        view->setDelegate(delegate_);
        return view;
    }

    void load(WebView& view, const std::string& url) {
        delegate_->events.clear();
        view.loadRequest(URLRequest{url, 60, {}});
        ASSERT_TRUE(iterateUntil([&] { return delegate_->ended(); })) << url;
    }

    ScriptResult evaluate(WebView& view, const std::string& script) {
        std::optional<ScriptResult> result;
        view.evaluateJavaScript(script, [&](ScriptResult r) { result = std::move(r); });
        EXPECT_TRUE(iterateUntil([&] { return result.has_value(); })) << script;
        return result.value_or(ScriptResult{});
    }

    // Evaluates until the page produced a non-null value for `expression`.
    Json awaitValue(WebView& view, const std::string& expression) {
        Json value;
        iterateUntil([&] {
            value = evaluate(view, expression).value.value_or(Json(nullptr));
            return !value.is_null();
        });
        return value;
    }

    WebKitWebViewFactory* factory_ = nullptr;
    std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>();
    LoopbackHttpServer server_;
};

TEST_F(WebKitWebViewPortTest, UserScriptsRunAtDocumentStartPerFrameScopeAndWorld) {
    server_.route("/top", {200, "text/html", {}, "<iframe src='/child'></iframe>"});
    server_.route("/child", {200, "text/html", {}, "<p>child</p>"});
    auto view = makeView({
        {"window.__mainOnly = (window.__mainOnly || 0) + 1;", true, std::nullopt},
        {"window.__allFrames = document.readyState;", false, std::nullopt},
        {"window.webkit.messageHandlers.probe.postMessage({top: window === window.top,"
         " seesPageGlobals: typeof window.__allFrames !== 'undefined'});",
         false, std::string("PelloraTestWorld")},
    });
    std::vector<ScriptMessage> worldMessages;
    view->addScriptMessageHandler("probe", std::string("PelloraTestWorld"),
                                  [&](const ScriptMessage& m) { worldMessages.push_back(m); });
    load(*view, server_.url("/top"));
    ASSERT_TRUE(iterateUntil([&] { return worldMessages.size() == 2; }));

    const Json seen = awaitValue(*view, R"(document.querySelector('iframe').contentDocument.readyState ===
        'complete' ? [window.__mainOnly, window.__allFrames, frames[0].__mainOnly === undefined,
        frames[0].__allFrames] : null)");
    EXPECT_EQ(seen, Json::parse(R"([1, "loading", true, "loading"])"));
    int topMessages = 0;
    for (const auto& message : worldMessages) {
        topMessages += message.body["top"].get<bool>() ? 1 : 0;
        EXPECT_EQ(message.body["seesPageGlobals"], false);  // an isolated world
        // WebKit's own channel names no frame, so frame checks must refuse the message.
        EXPECT_FALSE(message.isMainFrame);
        EXPECT_EQ(message.securityOrigin.protocol, "");
    }
    EXPECT_EQ(topMessages, 1);
}

TEST_F(WebKitWebViewPortTest, PageWorldMessagesCarryTheSendingFrameAndRepliesSettlePromises) {
    const std::string childURL = server_.url("/child", "localhost");
    server_.route("/top", {200, "text/html", {}, "<iframe src='" + childURL + "'></iframe>"});
    server_.route("/child", {200, "text/html", {}, "<p>child</p>"});
    const std::string post = R"(
        window.__results = [];
        const handlers = window.webkit.messageHandlers;
        window.__missing = typeof handlers.unknownHandler;
        handlers.bridge.postMessage({method: 'echo', n: 1}).then(r => window.__results.push(r));
        handlers.bridge.postMessage({method: 'fail'}).catch(e => window.__results.push('error: ' + e.message));
        handlers.notify.postMessage('hello');)";
    auto view = makeView({{post, false, std::nullopt}});
    std::vector<ScriptMessage> bridgeMessages;
    std::vector<ScriptMessage> notifyMessages;
    view->addScriptMessageHandlerWithReply("bridge", std::nullopt, [&](const ScriptMessage& m, ScriptReply reply) {
        bridgeMessages.push_back(m);
        if (m.body["method"] == "fail") reply(std::nullopt, std::string("bridge: untrusted origin"));
        else reply(Json{{"ok", true}, {"echo", m.body}}, std::nullopt);
    });
    view->addScriptMessageHandler("notify", std::nullopt, [&](const ScriptMessage& m) { notifyMessages.push_back(m); });

    load(*view, server_.url("/top"));
    ASSERT_TRUE(iterateUntil([&] { return bridgeMessages.size() == 4 && notifyMessages.size() == 2; }));

    const auto& top = bridgeMessages[0].isMainFrame ? bridgeMessages[0] : bridgeMessages[2];
    const auto& child = bridgeMessages[0].isMainFrame ? bridgeMessages[2] : bridgeMessages[0];
    EXPECT_TRUE(top.isMainFrame);
    EXPECT_EQ(top.name, "bridge");
    EXPECT_EQ(top.securityOrigin.protocol, "http");
    EXPECT_EQ(top.securityOrigin.host, "127.0.0.1");
    EXPECT_EQ(top.securityOrigin.port, server_.port());
    EXPECT_EQ(top.requestURL, server_.url("/top"));
    EXPECT_FALSE(child.isMainFrame);
    EXPECT_EQ(child.securityOrigin.host, "localhost");
    EXPECT_EQ(child.requestURL, childURL);
    EXPECT_EQ(notifyMessages[0].body, "hello");

    const Json results = awaitValue(*view, "window.__results.length === 2 ? window.__results : null");
    EXPECT_TRUE(sameJson(results, Json::parse(R"([{"ok": true, "echo": {"method": "echo", "n": 1}},
                                       "error: bridge: untrusted origin"])"))) << results.dump();
    EXPECT_EQ(evaluate(*view, "window.__missing").value, "undefined");
}

TEST_F(WebKitWebViewPortTest, EvaluationReturnsJsonValuesOrErrors) {
    auto view = makeView();
    view->loadHTMLString("<p>x</p>", std::nullopt);
    ASSERT_TRUE(iterateUntil([&] { return delegate_->ended(); }));
    const std::vector<std::pair<std::string, Json>> values = {
        {"1 + 1", 2},
        {"document.querySelectorAll('p').length === 1", true},
        {"!!document.querySelector('[data-pellora-recovery]')", false},
        {"({a: [1, null, 'x'], b: {c: 1.5}})", Json::parse(R"({"a": [1, null, "x"], "b": {"c": 1.5}})")},
        {"undefined", nullptr},
    };
    for (const auto& [script, expected] : values) {
        const auto result = evaluate(*view, script);
        EXPECT_FALSE(result.error) << script;
        EXPECT_TRUE(sameJson(result.value, expected)) << script;
    }
    for (const std::string script : {"throw new Error('boom')", "syntax error here", "(function () {})"}) {
        const auto result = evaluate(*view, script);
        ASSERT_TRUE(result.error) << script;
        EXPECT_EQ(result.error->domain, "WKErrorDomain") << script;
        EXPECT_FALSE(result.value) << script;
    }
    EXPECT_NE(evaluate(*view, "throw new Error('boom')").error->description.find("boom"), std::string::npos);
}

TEST_F(WebKitWebViewPortTest, CallAsyncJavaScriptPassesArgumentsInTheChosenWorld) {
    auto view = makeView({{"window.__pageOnly = 1;", true, std::nullopt}});
    load(*view, "about:blank");
    std::optional<ScriptResult> result;
    view->callAsyncJavaScript(
        "await new Promise(r => setTimeout(r, 5)); return {sum: a + b.n, c: c, text: text, nested: b};",
        Json{{"a", 1}, {"b", {{"n", 2}, {"list", {1, "two", nullptr}}}}, {"c", nullptr}, {"text", "quote \" \\ \u00e9"}},
        std::nullopt, [&](ScriptResult r) { result = std::move(r); });
    ASSERT_TRUE(iterateUntil([&] { return result.has_value(); }));
    ASSERT_FALSE(result->error) << result->error->description;
    EXPECT_TRUE(sameJson(result->value, Json::parse(R"({"sum": 3, "c": null, "text": "quote \" \\ \u00e9",
                                             "nested": {"n": 2, "list": [1, "two", null]}})")))
        << result->value.value_or(Json()).dump();

    for (const auto& [world, expected] : std::vector<std::pair<std::optional<std::string>, Json>>{
             {std::nullopt, "number"}, {std::string("PelloraTestWorld"), "undefined"}}) {
        result.reset();
        view->callAsyncJavaScript("return typeof window.__pageOnly;", Json::object(), world,
                                  [&](ScriptResult r) { result = std::move(r); });
        ASSERT_TRUE(iterateUntil([&] { return result.has_value(); }));
        EXPECT_EQ(result->value, expected) << world.value_or("page");
    }
}

TEST_F(WebKitWebViewPortTest, NavigationsReportIdsResponsesAndFailures) {
    server_.route("/page", {200, "text/html", {{"X-Pellora-Client", "1"}}, "<p>ok</p>"});
    server_.route("/down", {503, "text/html", {{"X-Pellora-Recovery", "1"}}, "<p>down</p>"});
    auto view = makeView();

    view->loadRequest(URLRequest{server_.url("/page"), 60, {{"X-Pellora-Desktop-Navigation", "1"}}});
    ASSERT_TRUE(iterateUntil([&] { return delegate_->ended(); }));
    ASSERT_EQ(delegate_->events.size(), 3u);
    const NavigationId first = delegate_->events[0].id;
    EXPECT_NE(first, 0u);
    EXPECT_EQ(delegate_->events[1].kind, "commit");
    EXPECT_EQ(delegate_->events[2].kind, "finish");
    EXPECT_EQ(delegate_->events[2].id, first);
    EXPECT_NE(server_.lastRequestHead("/page").find("X-Pellora-Desktop-Navigation: 1"), std::string::npos);
    EXPECT_EQ(view->url(), server_.url("/page"));
    ASSERT_FALSE(delegate_->actions.empty());
    EXPECT_EQ(delegate_->actions.back().url, server_.url("/page"));
    EXPECT_TRUE(delegate_->actions.back().targetIsMainFrame);

    delegate_->responses.clear();
    delegate_->responsePolicy = NavigationResponsePolicy::cancel;
    load(*view, server_.url("/down"));
    ASSERT_EQ(delegate_->responses.size(), 1u);
    const auto& response = delegate_->responses[0];
    EXPECT_TRUE(response.isMainFrame);
    EXPECT_EQ(response.httpStatus, 503);
    EXPECT_EQ(response.header("x-pellora-recovery"), "1");
    EXPECT_EQ(response.mimeType, "text/html");
    EXPECT_GT(delegate_->events[0].id, first);
    ASSERT_EQ(delegate_->events.back().kind, "failProvisional");
    EXPECT_EQ(delegate_->events.back().error->domain, kWebKitErrorDomain);
    EXPECT_EQ(delegate_->events.back().error->code, 102);

    delegate_->responsePolicy = NavigationResponsePolicy::allow;
    LoopbackHttpServer closed;
    const std::string refused = closed.url("/");
    closed.~LoopbackHttpServer();
    new (&closed) LoopbackHttpServer();  // a fresh server on another port keeps `refused` closed
    load(*view, refused);
    ASSERT_EQ(delegate_->events.back().kind, "failProvisional");
    EXPECT_EQ(delegate_->events.back().error->domain, kURLErrorDomain);
    EXPECT_EQ(delegate_->events.back().error->code, -1004);
}

TEST_F(WebKitWebViewPortTest, ASupersededNavigationNeverReportsUnderTheNewId) {
    LoopbackHttpServer slowServer;
    slowServer.route("/slow", {200, "text/html", {}, "<p>slow</p>", 1500});
    server_.route("/fast", {200, "text/html", {}, "<p>fast</p>"});
    auto view = makeView();
    view->loadRequest(URLRequest{slowServer.url("/slow"), 60, {}});
    ASSERT_TRUE(iterateUntil([&] { return !delegate_->events.empty(); }));
    const NavigationId slow = delegate_->events[0].id;
    view->loadRequest(URLRequest{server_.url("/fast"), 60, {}});
    ASSERT_TRUE(iterateUntil([&] { return delegate_->events.back().kind == "finish"; }));
    const NavigationId fast = delegate_->events.back().id;
    EXPECT_NE(fast, slow);
    for (const auto& event : delegate_->events) {
        if (event.kind.starts_with("fail")) {
            EXPECT_EQ(event.id, slow);
            EXPECT_EQ(event.error->code, -999);
        }
    }
    EXPECT_EQ(view->url(), server_.url("/fast"));
}

}  // namespace
}  // namespace pellora
