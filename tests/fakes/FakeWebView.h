// Fake web view: records configuration, handlers, loads, evaluations and calls; the test
// plays the page and the network by driving navigation events and answering evaluations.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeViews.h"
#include "platform/WebView.h"

namespace pellora {

class FakeWebView final : public FakeView, public WebView {
public:
    explicit FakeWebView(WebViewConfiguration configuration) : configuration(std::move(configuration)) {
        kind = "webview";
    }

    void setDelegate(std::weak_ptr<WebViewDelegate> delegate) override { delegate_ = delegate; }
    void addScriptMessageHandler(const std::string& name, const std::optional<std::string>& worldName,
                                 std::function<void(const ScriptMessage&)> handler) override;
    void addScriptMessageHandlerWithReply(
        const std::string& name, const std::optional<std::string>& worldName,
        std::function<void(const ScriptMessage&, ScriptReply)> handler) override;
    void removeAllScriptMessageHandlers() override { handlers.clear(); }
    void loadRequest(const URLRequest& request) override;
    void loadFileURL(const std::string& path, double timeoutSeconds) override;
    void loadHTMLString(const std::string& html, const std::optional<std::string>& baseURL) override;
    void stopLoading() override { ++stopCount; }
    std::optional<std::string> url() const override { return currentURL; }
    void evaluateJavaScript(const std::string& script,
                            std::function<void(ScriptResult)> completion) override;
    void callAsyncJavaScript(const std::string& functionBody, const Json& arguments,
                             const std::optional<std::string>& worldName,
                             std::function<void(ScriptResult)> completion) override;

    // --- Test drivers -------------------------------------------------------------------
    std::shared_ptr<WebViewDelegate> delegate() const { return delegate_.lock(); }
    // A main-frame navigation to `url` starts: the URL becomes current, the delegate hears it.
    NavigationId startNavigation(const std::string& url);
    void commit(NavigationId id);
    void finish(NavigationId id);
    void fail(NavigationId id, const WebError& error);
    void failProvisional(NavigationId id, const WebError& error);
    void crash();
    // Answers the oldest unanswered evaluation.
    void answerEvaluation(ScriptResult result);
    bool hasHandler(const std::string& name) const;

    struct Handler {
        std::string name;
        std::optional<std::string> world;
        std::function<void(const ScriptMessage&)> plain;
        std::function<void(const ScriptMessage&, ScriptReply)> withReply;
    };
    struct Evaluation {
        std::string script;
        std::function<void(ScriptResult)> completion;
    };
    struct Call {
        std::string body;
        Json arguments;
        std::optional<std::string> world;
    };

    WebViewConfiguration configuration;
    std::vector<Handler> handlers;
    std::vector<URLRequest> loadedRequests;
    std::vector<std::string> loadedFiles;
    std::vector<std::string> loadedHTML;
    std::deque<Evaluation> pendingEvaluations;
    std::vector<std::string> evaluatedScripts;
    std::vector<Call> calls;
    std::optional<std::string> currentURL;
    int stopCount = 0;

private:
    std::weak_ptr<WebViewDelegate> delegate_;
    NavigationId nextNavigation_ = 1;
};

class FakeWebViewFactory final : public WebViewFactory {
public:
    std::shared_ptr<WebView> makeWebView(const WebViewConfiguration& configuration) override;
    std::shared_ptr<FakeWebView> last() const { return made.empty() ? nullptr : made.back().lock(); }
    std::vector<std::weak_ptr<FakeWebView>> made;
};

}  // namespace pellora
