#include "fakes/FakeWebView.h"

#include <algorithm>

namespace pellora {

void FakeWebView::addScriptMessageHandler(const std::string& name,
                                          const std::optional<std::string>& worldName,
                                          std::function<void(const ScriptMessage&)> handler) {
    handlers.push_back(Handler{name, worldName, std::move(handler), nullptr});
}

void FakeWebView::addScriptMessageHandlerWithReply(
    const std::string& name, const std::optional<std::string>& worldName,
    std::function<void(const ScriptMessage&, ScriptReply)> handler) {
    handlers.push_back(Handler{name, worldName, nullptr, std::move(handler)});
}

void FakeWebView::loadRequest(const URLRequest& request) { loadedRequests.push_back(request); }

void FakeWebView::loadFileURL(const std::string& path, double) { loadedFiles.push_back(path); }

void FakeWebView::loadHTMLString(const std::string& html, const std::optional<std::string>&) {
    loadedHTML.push_back(html);
}

void FakeWebView::evaluateJavaScript(const std::string& script,
                                     std::function<void(ScriptResult)> completion) {
    evaluatedScripts.push_back(script);
    pendingEvaluations.push_back(Evaluation{script, std::move(completion)});
}

void FakeWebView::callAsyncJavaScript(const std::string& functionBody, const Json& arguments,
                                      const std::optional<std::string>& worldName,
                                      std::function<void(ScriptResult)> completion) {
    calls.push_back(Call{functionBody, arguments, worldName});
    if (completion) completion(ScriptResult{Json(nullptr), std::nullopt});
}

NavigationId FakeWebView::startNavigation(const std::string& url) {
    NavigationId id = nextNavigation_++;
    currentURL = url;
    if (auto d = delegate()) d->didStartProvisionalNavigation(id);
    return id;
}

void FakeWebView::commit(NavigationId id) {
    if (auto d = delegate()) d->didCommitNavigation(id);
}

void FakeWebView::finish(NavigationId id) {
    if (auto d = delegate()) d->didFinishNavigation(id);
}

void FakeWebView::fail(NavigationId id, const WebError& error) {
    if (auto d = delegate()) d->didFailNavigation(id, error);
}

void FakeWebView::failProvisional(NavigationId id, const WebError& error) {
    if (auto d = delegate()) d->didFailProvisionalNavigation(id, error);
}

void FakeWebView::crash() {
    if (auto d = delegate()) d->webContentProcessDidTerminate();
}

void FakeWebView::answerEvaluation(ScriptResult result) {
    if (pendingEvaluations.empty()) return;
    auto evaluation = std::move(pendingEvaluations.front());
    pendingEvaluations.pop_front();
    if (evaluation.completion) evaluation.completion(std::move(result));
}

bool FakeWebView::hasHandler(const std::string& name) const {
    return std::any_of(handlers.begin(), handlers.end(),
                       [&](const Handler& handler) { return handler.name == name; });
}

std::shared_ptr<WebView> FakeWebViewFactory::makeWebView(const WebViewConfiguration& configuration) {
    auto view = std::make_shared<FakeWebView>(configuration);
    made.push_back(view);
    return view;
}

}  // namespace pellora
