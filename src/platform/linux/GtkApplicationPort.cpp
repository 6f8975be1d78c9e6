#include "platform/linux/GtkApplicationPort.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include "base/Log.h"

namespace pellora {

GtkApplicationPort::GtkApplicationPort(std::string instanceName)
    : instanceName_(std::move(instanceName) + "." + std::to_string(::getuid())),
      loop_(g_main_loop_new(nullptr, FALSE)) {}

GtkApplicationPort::~GtkApplicationPort() {
    *alive_ = false;
    for (guint source : signalSources_) {
        if (GSource* pending = g_main_context_find_source_by_id(nullptr, source)) g_source_destroy(pending);
    }
    if (instanceService_) {
        g_socket_service_stop(instanceService_);
        g_socket_listener_close(G_SOCKET_LISTENER(instanceService_));
        g_object_unref(instanceService_);
    }
    g_main_loop_unref(loop_);
}

GSocketAddress* GtkApplicationPort::instanceAddress() const {
    return g_unix_socket_address_new_with_type(instanceName_.c_str(), -1, G_UNIX_SOCKET_ADDRESS_ABSTRACT);
}

bool GtkApplicationPort::handOverToRunningInstance() const {
    GSocketClient* client = g_socket_client_new();
    GSocketAddress* address = instanceAddress();
    GSocketConnection* connection =
        g_socket_client_connect(client, G_SOCKET_CONNECTABLE(address), nullptr, nullptr);
    if (connection) {
        g_output_stream_write_all(g_io_stream_get_output_stream(G_IO_STREAM(connection)), "reopen\n", 7, nullptr,
                                  nullptr, nullptr);
        g_io_stream_close(G_IO_STREAM(connection), nullptr, nullptr);
        g_object_unref(connection);
    }
    g_object_unref(address);
    g_object_unref(client);
    return connection != nullptr;
}

bool GtkApplicationPort::claimSingleInstance() {
    if (instanceService_) return true;
    GSocketService* service = g_socket_service_new();
    GSocketAddress* address = instanceAddress();
    const bool claimed = g_socket_listener_add_address(G_SOCKET_LISTENER(service), address, G_SOCKET_TYPE_STREAM,
                                                       G_SOCKET_PROTOCOL_DEFAULT, nullptr, nullptr, nullptr);
    g_object_unref(address);
    if (!claimed) {
        g_object_unref(service);
        return false;
    }
    g_signal_connect(service, "incoming", G_CALLBACK(onIncoming), this);
    g_socket_service_start(service);
    instanceService_ = service;
    return true;
}

gboolean GtkApplicationPort::onIncoming(GSocketService*, GSocketConnection*, GObject*, gpointer self) {
    // Any connection is a later launch asking for a window; answer once the loop is free.
    struct Request {
        GtkApplicationPort* application;
        std::weak_ptr<bool> alive;
    };
    auto* application = static_cast<GtkApplicationPort*>(self);
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            auto* request = static_cast<Request*>(data);
            if (!request->alive.expired()) request->application->reopenRequested();
            return G_SOURCE_REMOVE;
        },
        new Request{application, application->alive_}, [](gpointer data) { delete static_cast<Request*>(data); });
    return FALSE;
}

void GtkApplicationPort::reopenRequested() {
    if (delegate_) delegate_->applicationShouldHandleReopen(hasVisibleWindows());
}

gboolean GtkApplicationPort::onSignal(gpointer self) {
    static_cast<GtkApplicationPort*>(self)->terminate();
    return G_SOURCE_CONTINUE;
}

void GtkApplicationPort::run() {
    if (terminated_) return;
    if (delegate_ && !claimSingleInstance()) {
        if (handOverToRunningInstance()) {
            logLine("[shell] another instance is running; asked it to reopen");
            return;
        }
        logLine("[shell] could not claim the single-instance channel; running anyway");
    }
    signalSources_.push_back(g_unix_signal_add(SIGTERM, onSignal, this));
    signalSources_.push_back(g_unix_signal_add(SIGINT, onSignal, this));
    if (delegate_) {
        signalSources_.push_back(g_idle_add_full(
            G_PRIORITY_DEFAULT,
            [](gpointer data) -> gboolean {
                auto* application = static_cast<GtkApplicationPort*>(data);
                if (application->delegate_ && !application->terminated_) {
                    application->delegate_->applicationDidFinishLaunching();
                }
                return G_SOURCE_REMOVE;
            },
            this, nullptr));
    }
    if (!terminated_) g_main_loop_run(loop_);
}

void GtkApplicationPort::terminate() {
    if (terminated_) return;
    if (delegate_) {
        if (delegate_->applicationShouldTerminate() == TerminateReply::terminateCancel) return;
        if (terminated_) return;  // the delegate terminated from inside its answer
        terminated_ = true;
        delegate_->applicationWillTerminate();
    }
    terminated_ = true;
    g_main_loop_quit(loop_);
}

void GtkApplicationPort::activate() {
    auto front = keyWindow();
    if (!front && !order_.empty()) front = mainWindow() ? mainWindow() : orderedWindows().front();
    if (front) gtk_window_present(GtkNativeWindow::of(*front).gtkWindow());
}

std::shared_ptr<NativeWindow> GtkApplicationPort::createWindow(const WindowOptions& options) {
    std::weak_ptr<bool> alive = alive_;
    GtkNativeWindow::Observer observer{
        [this, alive](GtkNativeWindow& window) {
            if (!alive.expired()) windowCameToFront(window);
        },
        [this, alive](GtkNativeWindow& window) {
            if (!alive.expired()) windowClosed(window);
        }};
    auto window = std::make_shared<GtkNativeWindow>(options, std::move(observer));
    windows_.push_back(window);
    order_.push_back(window.get());
    return window;
}

void GtkApplicationPort::windowCameToFront(GtkNativeWindow& window) {
    if (std::none_of(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == &window; })) {
        windows_.push_back(window.shared_from_this());  // a closed window shown again is open again
    }
    std::erase(order_, &window);
    order_.insert(order_.begin(), &window);
}

void GtkApplicationPort::windowClosed(GtkNativeWindow& window) {
    std::erase(order_, &window);
    auto it = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == &window; });
    if (it == windows_.end()) return;
    auto keep = std::move(*it);  // the window is still running its close()
    windows_.erase(it);
    if (windows_.empty() && delegate_ && delegate_->applicationShouldTerminateAfterLastWindowClosed()) terminate();
}

std::vector<std::shared_ptr<NativeWindow>> GtkApplicationPort::windows() const {
    return {windows_.begin(), windows_.end()};
}

std::vector<std::shared_ptr<NativeWindow>> GtkApplicationPort::orderedWindows() const {
    std::vector<std::shared_ptr<NativeWindow>> ordered;
    for (GtkNativeWindow* window : order_) {
        auto it = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == window; });
        if (it != windows_.end()) ordered.push_back(*it);
    }
    return ordered;
}

std::shared_ptr<NativeWindow> GtkApplicationPort::keyWindow() const {
    for (const auto& window : windows_) {
        if (window->isKeyWindow()) return window;
    }
    return nullptr;
}

std::shared_ptr<NativeWindow> GtkApplicationPort::mainWindow() const { return keyWindow(); }

bool GtkApplicationPort::hasVisibleWindows() const {
    return std::any_of(windows_.begin(), windows_.end(), [](const auto& window) { return window->isVisible(); });
}

}  // namespace pellora
