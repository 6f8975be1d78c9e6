// Application over GTK 3 and the default GLib main context. Tracks open windows in
// creation order and front to back; routes SIGTERM / SIGINT (a log-out) through
// terminate(); keeps the application single: while a delegate is installed, a second
// launch of the same user hands over to the running instance (over an abstract Unix
// socket named after "com.pellora.shell") and the running one hears
// applicationShouldHandleReopen. Main thread only; one per process, owned by main().
#pragma once

#include <gio/gio.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/linux/GtkNativeWindow.h"
#include "platform/linux/GtkViewFactory.h"

namespace pellora {

class GtkApplicationPort final : public Application {
public:
    // `instanceName` names the single-instance channel; tests pass their own.
    explicit GtkApplicationPort(std::string instanceName = "com.pellora.shell");
    ~GtkApplicationPort() override;
    GtkApplicationPort(const GtkApplicationPort&) = delete;
    GtkApplicationPort& operator=(const GtkApplicationPort&) = delete;

    void setActivationPolicy(ActivationPolicy policy) override { policy_ = policy; }
    ActivationPolicy activationPolicy() const { return policy_; }
    void setDelegate(ApplicationDelegate* delegate) override { delegate_ = delegate; }
    ApplicationDelegate* delegate() const override { return delegate_; }

    void run() override;
    void terminate() override;
    void activate() override;

    std::shared_ptr<NativeWindow> createWindow(const WindowOptions& options) override;
    ViewFactory& views() override { return views_; }

    std::vector<std::shared_ptr<NativeWindow>> windows() const override;
    std::vector<std::shared_ptr<NativeWindow>> orderedWindows() const override;
    std::shared_ptr<NativeWindow> keyWindow() const override;
    // The key window: Linux desktops have no separate main window.
    std::shared_ptr<NativeWindow> mainWindow() const override;

    // Asks a running instance to reopen; true when one answered (this process may end).
    bool handOverToRunningInstance() const;
    // Starts answering later launches; false when another instance already does.
    bool claimSingleInstance();

private:
    void windowCameToFront(GtkNativeWindow& window);
    void windowClosed(GtkNativeWindow& window);
    void reopenRequested();
    bool hasVisibleWindows() const;
    GSocketAddress* instanceAddress() const;

    static gboolean onSignal(gpointer self);
    static gboolean onIncoming(GSocketService*, GSocketConnection*, GObject*, gpointer self);

    std::string instanceName_;
    ActivationPolicy policy_ = ActivationPolicy::regular;
    ApplicationDelegate* delegate_ = nullptr;
    GtkViewFactory views_;
    GMainLoop* loop_ = nullptr;
    bool terminated_ = false;
    GSocketService* instanceService_ = nullptr;
    std::vector<guint> signalSources_;  // signal watches and the launch callback
    // Open windows in creation order; the application keeps them alive while open.
    std::vector<std::shared_ptr<GtkNativeWindow>> windows_;
    // Open windows, front first.
    std::vector<GtkNativeWindow*> order_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace pellora
