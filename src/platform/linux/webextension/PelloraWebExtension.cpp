// The web process extension. WebKitGTK's script message signals carry no frame
// information, yet the bridges must know who is talking to them. In the page's own script
// world this extension replaces `window.webkit.messageHandlers.<name>.postMessage` by a
// function that sends the message to the UI process itself, together with the sending
// frame's main-frame flag and URL, and settles the returned promise with the UI process's
// reply. A name exists only while the UI process has registered a handler of that name
// (the native namespace still answers that), so pages see the same handler set.
//
// Wire format (shared with WebKitWebViewPort):
//   page → view  "pellora.script-message"  (s name, s body JSON, b main frame, s frame URL)
//   view → page  reply with (s envelope JSON) {"ok":true,"value":…} or {"ok":false,"error":…}

#include <webkit2/webkit-web-extension.h>

namespace {

constexpr const char* kMessageName = "pellora.script-message";

WebKitWebExtension* gExtension = nullptr;

// What the native send function needs to find its sender when called.
struct FrameLink {
    guint64 pageId;
    WebKitFrame* frame;  // strong reference
};

void freeFrameLink(gpointer data) {
    auto* link = static_cast<FrameLink*>(data);
    g_object_unref(link->frame);
    delete link;
}

// A message waiting for the UI process's reply.
struct PendingReply {
    JSCContext* context;  // strong reference
    JSCValue* resolve;    // strong reference
};

void settle(PendingReply* pending, const char* envelopeJSON) {
    JSCValue* envelope = jsc_value_new_from_json(pending->context, envelopeJSON);
    if (!envelope) envelope = jsc_value_new_from_json(pending->context, R"({"ok":false,"error":"malformed reply"})");
    JSCValue* result = jsc_value_function_call(pending->resolve, JSC_TYPE_VALUE, envelope, G_TYPE_NONE);
    g_clear_object(&result);
    g_object_unref(envelope);
    g_object_unref(pending->resolve);
    g_object_unref(pending->context);
    delete pending;
}

void replyReceived(GObject* source, GAsyncResult* result, gpointer data) {
    auto* pending = static_cast<PendingReply*>(data);
    GError* error = nullptr;
    WebKitUserMessage* reply =
        webkit_web_page_send_message_to_view_finish(WEBKIT_WEB_PAGE(source), result, &error);
    const char* envelope = nullptr;
    if (reply) {
        GVariant* parameters = webkit_user_message_get_parameters(reply);
        if (parameters && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(s)"))) {
            g_variant_get(parameters, "(&s)", &envelope);
        }
    }
    settle(pending, envelope ? envelope : R"({"ok":false,"error":"Reply was never sent"})");
    g_clear_object(&reply);
    g_clear_error(&error);
}

struct PromiseStart {
    JSCValue* resolve = nullptr;
};

void capturePromiseResolve(JSCValue* resolve, JSCValue*, gpointer data) {
    static_cast<PromiseStart*>(data)->resolve = JSC_VALUE(g_object_ref(resolve));
}

// send(name, body) → a promise of the reply envelope. Called by the page-world wrapper.
JSCValue* sendToView(JSCValue* name, JSCValue* body, gpointer data) {
    auto* link = static_cast<FrameLink*>(data);
    JSCContext* context = jsc_context_get_current();
    PromiseStart start;
    JSCValue* promise = jsc_value_new_promise(context, capturePromiseResolve, &start);
    auto* pending = new PendingReply{JSC_CONTEXT(g_object_ref(context)), start.resolve};

    WebKitWebPage* page = webkit_web_extension_get_page(gExtension, link->pageId);
    if (!page || !start.resolve) {
        if (start.resolve) settle(pending, R"({"ok":false,"error":"page is gone"})");
        else { g_object_unref(pending->context); delete pending; }
        return promise;
    }
    char* nameText = jsc_value_to_string(name);
    char* bodyJSON = jsc_value_is_undefined(body) ? nullptr : jsc_value_to_json(body, 0);
    const char* frameURL = webkit_frame_get_uri(link->frame);
    GVariant* parameters = g_variant_new("(ssbs)", nameText ? nameText : "", bodyJSON ? bodyJSON : "null",
                                         webkit_frame_is_main_frame(link->frame), frameURL ? frameURL : "");
    g_free(nameText);
    g_free(bodyJSON);
    webkit_web_page_send_message_to_view(page, webkit_user_message_new(kMessageName, parameters), nullptr,
                                         replyReceived, pending);
    return promise;
}

// Wraps window.webkit.messageHandlers in the page world before any page or user script
// runs. The wrapper keeps the intrinsics it needs, so a page that later replaces globals
// cannot redirect another frame's messages (it can only break its own). WebKit defines
// `window.webkit` only while the page has handlers; without it there is nothing to wrap.
constexpr const char* kInstaller = R"JS((function (send) {
  'use strict';
  const defineProperty = Object.defineProperty, freeze = Object.freeze, create = Object.create;
  const apply = Reflect.apply, then = Promise.prototype.then, ErrorCtor = Error, ProxyCtor = Proxy;
  let namespace;
  try { namespace = window.webkit; } catch (e) { return; }
  if (!namespace || typeof namespace !== 'object') return;
  const nativeHandlers = namespace.messageHandlers;
  function isRegistered(name) {
    if (typeof name !== 'string' || !nativeHandlers) return false;
    try { return !!nativeHandlers[name]; } catch (e) { return false; }
  }
  const wrappers = create(null);
  function handlerFor(name) {
    if (!isRegistered(name)) return undefined;
    if (!wrappers[name]) {
      wrappers[name] = freeze({
        postMessage(body) {
          return apply(then, send(name, body), [function (reply) {
            if (reply && reply.ok) return reply.value;
            throw new ErrorCtor(reply ? String(reply.error) : 'Reply was never sent');
          }]);
        }
      });
    }
    return wrappers[name];
  }
  const messageHandlers = new ProxyCtor(create(null), {
    get(target, name) { return handlerFor(name); },
    has(target, name) { return handlerFor(name) !== undefined; },
    set() { return false; },
    defineProperty() { return false; },
    deleteProperty() { return false; }
  });
  defineProperty(namespace, 'messageHandlers', {
    value: messageHandlers, writable: false, enumerable: true, configurable: false
  });
}))JS";

void windowObjectCleared(WebKitScriptWorld* world, WebKitWebPage* page, WebKitFrame* frame, gpointer) {
    JSCContext* context = webkit_frame_get_js_context_for_script_world(frame, world);
    auto* link = new FrameLink{webkit_web_page_get_id(page), WEBKIT_FRAME(g_object_ref(frame))};
    JSCValue* send = jsc_value_new_function(context, nullptr, G_CALLBACK(sendToView), link, freeFrameLink,
                                            JSC_TYPE_VALUE, 2, JSC_TYPE_VALUE, JSC_TYPE_VALUE);
    JSCValue* installer = jsc_context_evaluate(context, kInstaller, -1);
    if (installer && jsc_value_is_function(installer)) {
        JSCValue* result = jsc_value_function_call(installer, JSC_TYPE_VALUE, send, G_TYPE_NONE);
        g_clear_object(&result);
    }
    if (JSCException* exception = jsc_context_get_exception(context)) {
        g_warning("pellora web extension: %s", jsc_exception_get_message(exception));
        jsc_context_clear_exception(context);
    }
    g_clear_object(&installer);
    g_object_unref(send);
    g_object_unref(context);
}

}  // namespace

extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize(WebKitWebExtension* extension) {
    gExtension = extension;
    g_signal_connect(webkit_script_world_get_default(), "window-object-cleared",
                     G_CALLBACK(windowObjectCleared), nullptr);
}
