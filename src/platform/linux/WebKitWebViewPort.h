// WebView over a WebKitGTK 4.1 WebKitWebView with its own WebKitUserContentManager.
// Main thread only; created by WebKitWebViewFactory, owned through shared_ptr by the
// window that shows it (and by its parent view while attached).
//
// Navigations: every main-frame load (load-changed STARTED) gets a fresh NavigationId;
// commit, finish and failure report the id of the load in progress. A failure before the
// commit is a provisional failure. TLS certificate failures end the load as a provisional
// failure in NSURLErrorDomain (−1202 untrusted, −1201 expired, −1204 not yet valid,
// −1200 otherwise).
//
// Script messages: handlers of the page world get the sending frame's main-frame flag,
// security origin and URL through the web process extension (which provides
// `window.webkit.messageHandlers.<name>.postMessage`, returning a promise of the reply).
// Handlers registered in a named world are reached through WebKit's own channel, which
// names no frame: their messages say "not the main frame" with an empty origin, so frame
// checks refuse them rather than trust them.
//
// Request time limits are advisory: WebKitGTK has no per-request timeout, and the window
// code runs its own navigation timer.
#pragma once

#include <webkit2/webkit2.h>

#include <map>
#include <vector>
#include <memory>
#include <utility>

#include "platform/WebView.h"
#include "platform/linux/GtkView.h"

namespace pellora {

class WebKitWebViewPort final : public WebView, public GtkView {
public:
    // The name of the user message the web process extension sends for a script message.
    static constexpr const char* kScriptMessageName = "pellora.script-message";

    WebKitWebViewPort(WebKitWebContext* context, const WebViewConfiguration& configuration);
    ~WebKitWebViewPort() override;

    WebKitWebView* webView() const { return WEBKIT_WEB_VIEW(widget()); }

    void setDelegate(std::weak_ptr<WebViewDelegate> delegate) override;
    void addScriptMessageHandler(const std::string& name, const std::optional<std::string>& worldName,
                                 std::function<void(const ScriptMessage&)> handler) override;
    void addScriptMessageHandlerWithReply(
        const std::string& name, const std::optional<std::string>& worldName,
        std::function<void(const ScriptMessage&, ScriptReply)> handler) override;
    void removeAllScriptMessageHandlers() override;

    void loadRequest(const URLRequest& request) override;
    void loadFileURL(const std::string& path, double timeoutSeconds) override;
    void loadHTMLString(const std::string& html, const std::optional<std::string>& baseURL) override;
    void stopLoading() override;
    std::optional<std::string> url() const override;

    void evaluateJavaScript(const std::string& script, std::function<void(ScriptResult)> completion) override;
    void callAsyncJavaScript(const std::string& functionBody, const Json& arguments,
                             const std::optional<std::string>& worldName,
                             std::function<void(ScriptResult)> completion) override;

private:
    struct Handler {
        std::function<void(const ScriptMessage&)> plain;
        std::function<void(const ScriptMessage&, ScriptReply)> withReply;
    };
    using HandlerKey = std::pair<std::string, std::string>;  // world ("" = page), name
    // Data of a WebKit script-message signal connection: the handler name it serves.
    struct NativeRoute {
        WebKitWebViewPort* self;
        std::string name;
    };

    void addUserScripts(const std::vector<UserScript>& scripts);
    void registerHandler(const std::string& name, const std::optional<std::string>& worldName,
                         Handler handler);
    const Handler* findHandler(const std::string& name, bool pageWorld) const;
    void deliver(const std::string& name, bool pageWorld, ScriptMessage message, ScriptReply reply);

    static void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, WebKitWebViewPort* self);
    static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent event, char* uri, GError* error,
                                 WebKitWebViewPort* self);
    static gboolean onLoadFailedWithTlsErrors(WebKitWebView*, char* uri, GTlsCertificate*,
                                              GTlsCertificateFlags errors, WebKitWebViewPort* self);
    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                   WebKitPolicyDecisionType type, WebKitWebViewPort* self);
    static void onWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason,
                                       WebKitWebViewPort* self);
    static gboolean onContextMenu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent*,
                                  WebKitHitTestResult*, WebKitWebViewPort*);
    static gboolean onUserMessage(WebKitWebView*, WebKitUserMessage* message, WebKitWebViewPort* self);
    static void onNativeMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                                NativeRoute* route);
    static gboolean onNativeMessageWithReply(WebKitUserContentManager*, JSCValue* value,
                                             WebKitScriptMessageReply* reply, NativeRoute* route);

    void reportFailure(bool provisional, const WebError& error);

    WebKitUserContentManager* contentManager_;
    std::weak_ptr<WebViewDelegate> delegate_;
    std::map<HandlerKey, Handler> handlers_;
    std::vector<gulong> nativeSignals_;
    NavigationId lastNavigation_ = 0;
    NavigationId currentNavigation_ = 0;
    bool currentCommitted_ = false;
    bool currentFailed_ = false;
};

}  // namespace pellora
