// The web view of an Engine window and everything the window configures on it: user
// scripts, script message handlers (with and without reply, per script world),
// navigation / response / new-window policies, evaluation, calling a function with
// arguments, and web-process termination. Main thread only. The delegate is held weakly.
//
// Script messages carry the sending frame's main-frame flag, security origin and request
// URL, so bridges can check who is talking to them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Json.h"
#include "platform/View.h"

namespace pellora {

// A main-frame navigation as the delegate sees it; 0 is never a navigation.
using NavigationId = std::uint64_t;

inline constexpr const char* kURLErrorDomain = "NSURLErrorDomain";
inline constexpr const char* kWebKitErrorDomain = "WebKitErrorDomain";

struct WebError {
    std::string domain;
    int code = 0;
    std::string description;
};

enum class NavigationType { linkActivated, formSubmitted, backForward, reload, formResubmitted, other };

struct NavigationAction {
    std::optional<std::string> url;  // absent: the request has no URL
    bool hasTargetFrame = true;
    bool targetIsMainFrame = true;
    NavigationType type = NavigationType::other;
};

enum class NavigationActionPolicy { allow, cancel };
enum class NavigationResponsePolicy { allow, cancel, download };

struct NavigationResponse {
    std::string url;
    bool isMainFrame = true;
    std::optional<int> httpStatus;                // absent for non-HTTP responses
    std::map<std::string, std::string> headers;   // names lower-cased
    std::string mimeType;
    bool canShowMIMEType = true;
    std::optional<std::string> suggestedFilename;
    std::optional<std::string> header(const std::string& lowerCaseName) const;
};

struct SecurityOrigin {
    std::string protocol;
    std::string host;
    int port = 0;  // 0: the scheme's default
};

struct ScriptMessage {
    std::string name;
    Json body;
    bool isMainFrame = false;
    SecurityOrigin securityOrigin;
    std::optional<std::string> requestURL;  // the sending frame's URL
};

// Answers a reply-capable message: a JSON result, or an error message.
using ScriptReply = std::function<void(std::optional<Json> result, std::optional<std::string> error)>;

struct UserScript {
    std::string source;
    bool mainFrameOnly = true;
    std::optional<std::string> worldName;  // absent: the page's own world
};

struct URLRequest {
    std::string url;
    double timeoutSeconds = 60;
    std::map<std::string, std::string> headers;
};

// The outcome of an evaluation: a JSON value (null for undefined) or an error.
struct ScriptResult {
    std::optional<Json> value;
    std::optional<WebError> error;
};

class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;
    virtual void didStartProvisionalNavigation(NavigationId) {}
    virtual void didCommitNavigation(NavigationId) {}
    virtual void didFinishNavigation(NavigationId) {}
    virtual void didFailNavigation(NavigationId, const WebError&) {}
    virtual void didFailProvisionalNavigation(NavigationId, const WebError&) {}
    virtual void webContentProcessDidTerminate() {}
    virtual NavigationActionPolicy decidePolicyForNavigationAction(const NavigationAction&) {
        return NavigationActionPolicy::allow;
    }
    virtual NavigationResponsePolicy decidePolicyForNavigationResponse(const NavigationResponse&) {
        return NavigationResponsePolicy::allow;
    }
    // The page asked for a new window; the web view never creates one itself.
    virtual void createWebViewRequested(const NavigationAction&) {}
};

struct WebViewConfiguration {
    bool elementFullscreenEnabled = true;
    std::vector<UserScript> userScripts;
};

class WebView : public virtual View {
public:
    virtual void setDelegate(std::weak_ptr<WebViewDelegate> delegate) = 0;

    virtual void addScriptMessageHandler(const std::string& name,
                                         const std::optional<std::string>& worldName,
                                         std::function<void(const ScriptMessage&)> handler) = 0;
    virtual void addScriptMessageHandlerWithReply(
        const std::string& name, const std::optional<std::string>& worldName,
        std::function<void(const ScriptMessage&, ScriptReply)> handler) = 0;
    virtual void removeAllScriptMessageHandlers() = 0;

    virtual void loadRequest(const URLRequest& request) = 0;
    virtual void loadFileURL(const std::string& path, double timeoutSeconds) = 0;
    virtual void loadHTMLString(const std::string& html,
                                const std::optional<std::string>& baseURL) = 0;
    virtual void stopLoading() = 0;
    // The committed (or loading) URL; absent before the first load.
    virtual std::optional<std::string> url() const = 0;

    virtual void evaluateJavaScript(const std::string& script,
                                    std::function<void(ScriptResult)> completion) = 0;
    // Calls `functionBody` with `arguments` (a JSON object whose keys become the
    // function's parameters) in `worldName` (absent: the page world).
    virtual void callAsyncJavaScript(const std::string& functionBody, const Json& arguments,
                                     const std::optional<std::string>& worldName,
                                     std::function<void(ScriptResult)> completion) = 0;
};

class WebViewFactory {
public:
    virtual ~WebViewFactory() = default;
    virtual std::shared_ptr<WebView> makeWebView(const WebViewConfiguration& configuration) = 0;
};

}  // namespace pellora
