#include "platform/linux/WebKitWebViewPort.h"

#include <libsoup/soup.h>

#include <algorithm>
#include <cctype>

#include "base/Log.h"
#include "base/Strings.h"
#include "platform/linux/WebKitErrors.h"

namespace pellora {

namespace {

std::string dumpJson(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json parseJson(const char* text) {
    if (!text || !*text) return nullptr;
    Json value = Json::parse(text, nullptr, false);
    return value.is_discarded() ? Json(nullptr) : value;
}

// The security origin WebKit would report for a frame at `url`: scheme, host, and the
// port, 0 when it is the scheme's default.
SecurityOrigin originOf(const std::string& url) {
    SecurityOrigin origin;
    GUri* uri = g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!uri) return origin;
    origin.protocol = asciiLowercase(g_uri_get_scheme(uri) ? g_uri_get_scheme(uri) : "");
    origin.host = g_uri_get_host(uri) ? g_uri_get_host(uri) : "";
    const int port = g_uri_get_port(uri);
    const bool defaultPort = (origin.protocol == "http" && port == 80) ||
                             (origin.protocol == "https" && port == 443);
    origin.port = port < 0 || defaultPort ? 0 : port;
    g_uri_unref(uri);
    return origin;
}

NavigationType navigationTypeOf(WebKitNavigationType type) {
    switch (type) {
    case WEBKIT_NAVIGATION_TYPE_LINK_CLICKED: return NavigationType::linkActivated;
    case WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED: return NavigationType::formSubmitted;
    case WEBKIT_NAVIGATION_TYPE_BACK_FORWARD: return NavigationType::backForward;
    case WEBKIT_NAVIGATION_TYPE_RELOAD: return NavigationType::reload;
    case WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED: return NavigationType::formResubmitted;
    default: return NavigationType::other;
    }
}

NavigationAction navigationActionOf(WebKitNavigationPolicyDecision* decision, bool newWindow) {
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(decision);
    NavigationAction result;
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (uri && *uri) result.url = uri;
    result.type = navigationTypeOf(webkit_navigation_action_get_navigation_type(action));
    // WebKitGTK does not say which frame a navigation action targets (neither the action,
    // its request nor the frame name tell a sub-frame load apart). Every navigation action
    // is taken as the main frame's: the main-frame rules then also apply to sub-frames,
    // which can only refuse more, never let the main frame leave its origin unchecked. A
    // new-window action has no target frame.
    result.hasTargetFrame = !newWindow;
    result.targetIsMainFrame = !newWindow;
    return result;
}

NavigationResponse navigationResponseOf(WebKitResponsePolicyDecision* decision) {
    WebKitURIResponse* response = webkit_response_policy_decision_get_response(decision);
    NavigationResponse result;
    const char* uri = webkit_uri_response_get_uri(response);
    result.url = uri ? uri : "";
    result.isMainFrame = webkit_response_policy_decision_is_main_frame_main_resource(decision);
    if (SoupMessageHeaders* headers = webkit_uri_response_get_http_headers(response)) {
        result.httpStatus = static_cast<int>(webkit_uri_response_get_status_code(response));
        soup_message_headers_foreach(
            headers,
            [](const char* name, const char* value, gpointer data) {
                auto& map = *static_cast<std::map<std::string, std::string>*>(data);
                auto [it, inserted] = map.emplace(asciiLowercase(name), value);
                if (!inserted) it->second += std::string(", ") + value;
            },
            &result.headers);
    }
    const char* mime = webkit_uri_response_get_mime_type(response);
    result.mimeType = mime ? mime : "";
    result.canShowMIMEType = webkit_response_policy_decision_is_mime_type_supported(decision);
    const char* filename = webkit_uri_response_get_suggested_filename(response);
    if (filename && *filename) result.suggestedFilename = filename;
    return result;
}

ScriptResult scriptResultOf(JSCValue* value, GError* error) {
    if (error) return {std::nullopt, scriptError(error)};
    if (!value || jsc_value_is_undefined(value) || jsc_value_is_null(value)) return {Json(nullptr), std::nullopt};
    char* json = jsc_value_to_json(value, 0);
    if (!json) {
        return {std::nullopt, WebError{kScriptErrorDomain, kScriptUnsupportedResultCode,
                                       "JavaScript execution returned a result of an unsupported type"}};
    }
    Json result = parseJson(json);
    g_free(json);
    return {std::move(result), std::nullopt};
}

struct ScriptCall {
    std::function<void(ScriptResult)> completion;
};

void finishEvaluation(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<ScriptCall> call(static_cast<ScriptCall*>(data));
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
    ScriptResult outcome = scriptResultOf(value, error);
    g_clear_object(&value);
    g_clear_error(&error);
    if (call->completion) call->completion(std::move(outcome));
}

void finishCall(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<ScriptCall> call(static_cast<ScriptCall*>(data));
    GError* error = nullptr;
    JSCValue* value =
        webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), result, &error);
    ScriptResult outcome = scriptResultOf(value, error);
    g_clear_object(&value);
    g_clear_error(&error);
    if (call->completion) call->completion(std::move(outcome));
}

bool isIdentifier(const std::string& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    return std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_' || c == '$';
    });
}

// The envelope the web process extension turns into the page's promise result.
std::string replyEnvelope(const std::optional<Json>& result, const std::optional<std::string>& error) {
    if (error) return dumpJson(Json{{"ok", false}, {"error", *error}});
    return dumpJson(Json{{"ok", true}, {"value", result.value_or(Json(nullptr))}});
}

// Answers a message of the extension exactly once; a message dropped unanswered still
// settles the page's promise.
class ExtensionReply {
public:
    explicit ExtensionReply(WebKitUserMessage* message)
        : message_(WEBKIT_USER_MESSAGE(g_object_ref(message))) {}
    ~ExtensionReply() {
        send(std::nullopt, std::string("Reply was never sent"));
        g_object_unref(message_);
    }
    ExtensionReply(const ExtensionReply&) = delete;
    ExtensionReply& operator=(const ExtensionReply&) = delete;

    void send(const std::optional<Json>& result, const std::optional<std::string>& error) {
        if (sent_) return;
        sent_ = true;
        GVariant* parameters = g_variant_new("(s)", replyEnvelope(result, error).c_str());
        webkit_user_message_send_reply(message_, webkit_user_message_new(kReplyName, parameters));
    }

private:
    static constexpr const char* kReplyName = "pellora.script-reply";
    WebKitUserMessage* message_;
    bool sent_ = false;
};

class NativeReply {
public:
    NativeReply(WebKitScriptMessageReply* reply, JSCContext* context)
        : reply_(webkit_script_message_reply_ref(reply)), context_(JSC_CONTEXT(g_object_ref(context))) {}
    ~NativeReply() {
        send(std::nullopt, std::string("Reply was never sent"));
        webkit_script_message_reply_unref(reply_);
        g_object_unref(context_);
    }
    NativeReply(const NativeReply&) = delete;
    NativeReply& operator=(const NativeReply&) = delete;

    void send(const std::optional<Json>& result, const std::optional<std::string>& error) {
        if (sent_) return;
        sent_ = true;
        if (error) {
            webkit_script_message_reply_return_error_message(reply_, error->c_str());
            return;
        }
        JSCValue* value = jsc_value_new_from_json(context_, dumpJson(result.value_or(Json(nullptr))).c_str());
        webkit_script_message_reply_return_value(reply_, value);
        g_object_unref(value);
    }

private:
    WebKitScriptMessageReply* reply_;
    JSCContext* context_;
    bool sent_ = false;
};

template <typename Reply>
ScriptReply sharedReply(std::shared_ptr<Reply> reply) {
    return [reply](std::optional<Json> result, std::optional<std::string> error) {
        reply->send(result, error);
    };
}

GtkWidget* makeWebKitWebView(WebKitWebContext* context, const WebViewConfiguration& configuration) {
    WebKitUserContentManager* manager = webkit_user_content_manager_new();
    GtkWidget* view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context,
                                              "user-content-manager", manager, nullptr));
    g_object_unref(manager);
    WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view));
    webkit_settings_set_enable_fullscreen(settings, configuration.elementFullscreenEnabled);
    return view;
}

}  // namespace

WebKitWebViewPort::WebKitWebViewPort(WebKitWebContext* context, const WebViewConfiguration& configuration)
    : GtkView(makeWebKitWebView(context, configuration)),
      contentManager_(webkit_web_view_get_user_content_manager(webView())) {
    addUserScripts(configuration.userScripts);
    WebKitWebView* view = webView();
    g_signal_connect(view, "load-changed", G_CALLBACK(onLoadChanged), this);
    g_signal_connect(view, "load-failed", G_CALLBACK(onLoadFailed), this);
    g_signal_connect(view, "load-failed-with-tls-errors", G_CALLBACK(onLoadFailedWithTlsErrors), this);
    g_signal_connect(view, "decide-policy", G_CALLBACK(onDecidePolicy), this);
    g_signal_connect(view, "web-process-terminated", G_CALLBACK(onWebProcessTerminated), this);
    g_signal_connect(view, "context-menu", G_CALLBACK(onContextMenu), this);
    g_signal_connect(view, "user-message-received", G_CALLBACK(onUserMessage), this);
}

WebKitWebViewPort::~WebKitWebViewPort() {
    removeAllScriptMessageHandlers();
    g_signal_handlers_disconnect_by_data(webView(), this);
    webkit_web_view_stop_loading(webView());
}

void WebKitWebViewPort::setDelegate(std::weak_ptr<WebViewDelegate> delegate) { delegate_ = std::move(delegate); }

void WebKitWebViewPort::addUserScripts(const std::vector<UserScript>& scripts) {
    for (const auto& script : scripts) {
        const auto frames = script.mainFrameOnly ? WEBKIT_USER_CONTENT_INJECT_TOP_FRAME
                                                 : WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES;
        WebKitUserScript* userScript =
            script.worldName
                ? webkit_user_script_new_for_world(script.source.c_str(), frames,
                                                   WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START,
                                                   script.worldName->c_str(), nullptr, nullptr)
                : webkit_user_script_new(script.source.c_str(), frames,
                                         WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
        webkit_user_content_manager_add_script(contentManager_, userScript);
        webkit_user_script_unref(userScript);
    }
}

void WebKitWebViewPort::addScriptMessageHandler(const std::string& name,
                                                const std::optional<std::string>& worldName,
                                                std::function<void(const ScriptMessage&)> handler) {
    registerHandler(name, worldName, Handler{std::move(handler), {}});
}

void WebKitWebViewPort::addScriptMessageHandlerWithReply(
    const std::string& name, const std::optional<std::string>& worldName,
    std::function<void(const ScriptMessage&, ScriptReply)> handler) {
    registerHandler(name, worldName, Handler{{}, std::move(handler)});
}

void WebKitWebViewPort::registerHandler(const std::string& name, const std::optional<std::string>& worldName,
                                        Handler handler) {
    const bool withReply = static_cast<bool>(handler.withReply);
    auto [it, inserted] = handlers_.insert_or_assign(HandlerKey{worldName.value_or(""), name}, std::move(handler));
    (void)it;
    if (!inserted) return;  // WebKit keeps the earlier registration of this name and world
    // WebKit's registration makes the name visible to the page (the extension's wrapper
    // asks it) and carries messages of named worlds.
    const char* world = worldName ? worldName->c_str() : nullptr;
    if (withReply) {
        webkit_user_content_manager_register_script_message_handler_with_reply(contentManager_, name.c_str(), world);
    } else if (world) {
        webkit_user_content_manager_register_script_message_handler_in_world(contentManager_, name.c_str(), world);
    } else {
        webkit_user_content_manager_register_script_message_handler(contentManager_, name.c_str());
    }
    auto closure = [](gpointer data, GClosure*) { delete static_cast<NativeRoute*>(data); };
    const std::string signal = withReply ? "script-message-with-reply-received::" + name
                                         : "script-message-received::" + name;
    GCallback callback = withReply ? G_CALLBACK(onNativeMessageWithReply) : G_CALLBACK(onNativeMessage);
    nativeSignals_.push_back(g_signal_connect_data(contentManager_, signal.c_str(), callback,
                                                   new NativeRoute{this, name}, closure, GConnectFlags(0)));
}

void WebKitWebViewPort::removeAllScriptMessageHandlers() {
    for (const auto& [key, handler] : handlers_) {
        const auto& [world, name] = key;
        if (world.empty()) {
            webkit_user_content_manager_unregister_script_message_handler(contentManager_, name.c_str());
        } else {
            webkit_user_content_manager_unregister_script_message_handler_in_world(contentManager_, name.c_str(),
                                                                                   world.c_str());
        }
    }
    handlers_.clear();
    for (gulong id : nativeSignals_) g_signal_handler_disconnect(contentManager_, id);
    nativeSignals_.clear();
}

const WebKitWebViewPort::Handler* WebKitWebViewPort::findHandler(const std::string& name, bool pageWorld) const {
    for (const auto& [key, handler] : handlers_) {
        if (key.second == name && key.first.empty() == pageWorld) return &handler;
    }
    // A message arriving without frame information may still be for the page world.
    if (!pageWorld) return findHandler(name, true);
    return nullptr;
}

void WebKitWebViewPort::deliver(const std::string& name, bool pageWorld, ScriptMessage message, ScriptReply reply) {
    const Handler* handler = findHandler(name, pageWorld);
    if (!handler) {
        reply(std::nullopt, "No message handler named " + name);
        return;
    }
    message.name = name;
    if (handler->withReply) {
        auto function = handler->withReply;  // the handler may remove itself while running
        function(message, std::move(reply));
    } else {
        auto function = handler->plain;
        reply(std::nullopt, std::nullopt);
        function(message);
    }
}

gboolean WebKitWebViewPort::onUserMessage(WebKitWebView*, WebKitUserMessage* message, WebKitWebViewPort* self) {
    if (g_strcmp0(webkit_user_message_get_name(message), kScriptMessageName) != 0) return FALSE;
    GVariant* parameters = webkit_user_message_get_parameters(message);
    auto reply = std::make_shared<ExtensionReply>(message);
    if (!parameters || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ssbs)"))) {
        reply->send(std::nullopt, std::string("malformed script message"));
        return TRUE;
    }
    const char* name = nullptr;
    const char* body = nullptr;
    gboolean mainFrame = FALSE;
    const char* frameURL = nullptr;
    g_variant_get(parameters, "(&s&sb&s)", &name, &body, &mainFrame, &frameURL);
    ScriptMessage scriptMessage;
    scriptMessage.body = parseJson(body);
    scriptMessage.isMainFrame = mainFrame;
    if (frameURL && *frameURL) {
        scriptMessage.requestURL = frameURL;
        scriptMessage.securityOrigin = originOf(frameURL);
    }
    self->deliver(name, true, std::move(scriptMessage), sharedReply(reply));
    return TRUE;
}

void WebKitWebViewPort::onNativeMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, NativeRoute* route) {
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    ScriptMessage message;
    message.body = scriptResultOf(value, nullptr).value.value_or(Json(nullptr));
    route->self->deliver(route->name, false, std::move(message), [](auto, auto) {});
}

gboolean WebKitWebViewPort::onNativeMessageWithReply(WebKitUserContentManager*, JSCValue* value,
                                                     WebKitScriptMessageReply* reply, NativeRoute* route) {
    ScriptMessage message;
    message.body = scriptResultOf(value, nullptr).value.value_or(Json(nullptr));
    auto shared = std::make_shared<NativeReply>(reply, jsc_value_get_context(value));
    route->self->deliver(route->name, false, std::move(message), sharedReply(shared));
    return TRUE;
}

void WebKitWebViewPort::loadRequest(const URLRequest& request) {
    WebKitURIRequest* uriRequest = webkit_uri_request_new(request.url.c_str());
    if (SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(uriRequest)) {
        for (const auto& [name, value] : request.headers) {
            soup_message_headers_replace(headers, name.c_str(), value.c_str());
        }
    }
    webkit_web_view_load_request(webView(), uriRequest);
    g_object_unref(uriRequest);
}

void WebKitWebViewPort::loadFileURL(const std::string& path, double) {
    char* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri) {
        logLine("[shell] cannot load file " + path);
        return;
    }
    webkit_web_view_load_uri(webView(), uri);
    g_free(uri);
}

void WebKitWebViewPort::loadHTMLString(const std::string& html, const std::optional<std::string>& baseURL) {
    webkit_web_view_load_html(webView(), html.c_str(), baseURL ? baseURL->c_str() : nullptr);
}

void WebKitWebViewPort::stopLoading() { webkit_web_view_stop_loading(webView()); }

std::optional<std::string> WebKitWebViewPort::url() const {
    const char* uri = webkit_web_view_get_uri(webView());
    if (!uri || !*uri) return std::nullopt;
    return std::string(uri);
}

void WebKitWebViewPort::evaluateJavaScript(const std::string& script, std::function<void(ScriptResult)> completion) {
    webkit_web_view_evaluate_javascript(webView(), script.c_str(), static_cast<gssize>(script.size()), nullptr,
                                        nullptr, nullptr, finishEvaluation, new ScriptCall{std::move(completion)});
}

void WebKitWebViewPort::callAsyncJavaScript(const std::string& functionBody, const Json& arguments,
                                            const std::optional<std::string>& worldName,
                                            std::function<void(ScriptResult)> completion) {
    // The arguments travel as one JSON text and are spread into a function whose
    // parameters are the argument names, so nested objects, arrays and nulls arrive intact.
    std::string parameters;
    Json values = Json::array();
    if (arguments.is_object()) {
        for (const auto& [name, value] : arguments.items()) {
            if (!isIdentifier(name)) {
                if (completion) {
                    completion({std::nullopt, WebError{kScriptErrorDomain, kScriptExceptionCode,
                                                       "Invalid argument name: " + name}});
                }
                return;
            }
            parameters += (parameters.empty() ? "" : ", ") + name;
            values.push_back(value);
        }
    }
    const std::string body = "return await (async (" + parameters + ") => {\n" + functionBody +
                             "\n})(...JSON.parse(__pelloraArguments));";
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&builder, "{sv}", "__pelloraArguments", g_variant_new_string(dumpJson(values).c_str()));
    webkit_web_view_call_async_javascript_function(
        webView(), body.c_str(), static_cast<gssize>(body.size()), g_variant_builder_end(&builder),
        worldName ? worldName->c_str() : nullptr, nullptr, nullptr, finishCall, new ScriptCall{std::move(completion)});
}

void WebKitWebViewPort::onLoadChanged(WebKitWebView*, WebKitLoadEvent event, WebKitWebViewPort* self) {
    auto delegate = self->delegate_.lock();
    switch (event) {
    case WEBKIT_LOAD_STARTED:
        self->currentNavigation_ = ++self->lastNavigation_;
        self->currentCommitted_ = false;
        self->currentFailed_ = false;
        if (delegate) delegate->didStartProvisionalNavigation(self->currentNavigation_);
        break;
    case WEBKIT_LOAD_COMMITTED:
        if (self->currentNavigation_ == 0 || self->currentFailed_) break;
        self->currentCommitted_ = true;
        if (delegate) delegate->didCommitNavigation(self->currentNavigation_);
        break;
    case WEBKIT_LOAD_FINISHED: {
        const NavigationId finished = self->currentNavigation_;
        const bool failed = self->currentFailed_;
        self->currentNavigation_ = 0;
        if (finished != 0 && !failed && delegate) delegate->didFinishNavigation(finished);
        break;
    }
    case WEBKIT_LOAD_REDIRECTED:
        break;
    }
}

void WebKitWebViewPort::reportFailure(bool provisional, const WebError& error) {
    if (currentNavigation_ == 0 || currentFailed_) return;
    currentFailed_ = true;
    auto delegate = delegate_.lock();
    if (!delegate) return;
    if (provisional) delegate->didFailProvisionalNavigation(currentNavigation_, error);
    else delegate->didFailNavigation(currentNavigation_, error);
}

gboolean WebKitWebViewPort::onLoadFailed(WebKitWebView*, WebKitLoadEvent, char*, GError* error,
                                         WebKitWebViewPort* self) {
    self->reportFailure(!self->currentCommitted_, webErrorFromLoadError(error));
    return TRUE;  // no built-in error page: the window shows its own recovery view
}

gboolean WebKitWebViewPort::onLoadFailedWithTlsErrors(WebKitWebView*, char* uri, GTlsCertificate*,
                                                      GTlsCertificateFlags errors, WebKitWebViewPort* self) {
    self->reportFailure(true, webErrorFromTlsErrors(errors, uri));
    return TRUE;
}

gboolean WebKitWebViewPort::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                           WebKitPolicyDecisionType type, WebKitWebViewPort* self) {
    auto delegate = self->delegate_.lock();
    switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION: {
        const auto action = navigationActionOf(WEBKIT_NAVIGATION_POLICY_DECISION(decision), false);
        const auto policy = delegate ? delegate->decidePolicyForNavigationAction(action)
                                     : NavigationActionPolicy::allow;
        if (policy == NavigationActionPolicy::allow) webkit_policy_decision_use(decision);
        else webkit_policy_decision_ignore(decision);
        return TRUE;
    }
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION: {
        const auto action = navigationActionOf(WEBKIT_NAVIGATION_POLICY_DECISION(decision), true);
        webkit_policy_decision_ignore(decision);  // the web view never opens windows itself
        if (delegate) delegate->createWebViewRequested(action);
        return TRUE;
    }
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
        const auto response = navigationResponseOf(WEBKIT_RESPONSE_POLICY_DECISION(decision));
        const auto policy = delegate ? delegate->decidePolicyForNavigationResponse(response)
                                     : NavigationResponsePolicy::allow;
        switch (policy) {
        case NavigationResponsePolicy::allow: webkit_policy_decision_use(decision); break;
        case NavigationResponsePolicy::cancel: webkit_policy_decision_ignore(decision); break;
        case NavigationResponsePolicy::download: webkit_policy_decision_download(decision); break;
        }
        return TRUE;
    }
    }
    return FALSE;
}

void WebKitWebViewPort::onWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason,
                                               WebKitWebViewPort* self) {
    if (auto delegate = self->delegate_.lock()) delegate->webContentProcessDidTerminate();
}

gboolean WebKitWebViewPort::onContextMenu(WebKitWebView*, WebKitContextMenu* menu, GdkEvent*, WebKitHitTestResult*,
                                          WebKitWebViewPort*) {
    webkit_context_menu_remove_all(menu);
    return TRUE;  // no native context menu at all
}

}  // namespace pellora
