// NativeWindow as a GtkWindow with a GtkHeaderBar (title, trailing accessory) and a
// content view filling it. A per-window CSS provider paints the window background and,
// with a transparent title bar, clears the header bar so the tint shows through it.
// Frame origins are in bottom-left screen coordinates, like the rest of the window code.
// Closing hides the window (its delegate hears windowWillClose first); the object stays
// usable as a husk until its owners drop it, and destroys the GTK window then.
// Main thread only; created by GtkApplicationPort, shared with the window code.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>

#include "platform/NativeWindow.h"
#include "platform/linux/GtkChildList.h"
#include "platform/linux/GtkContainerView.h"

namespace pellora {

class GtkNativeWindow final : public NativeWindow, public std::enable_shared_from_this<GtkNativeWindow> {
public:
    // What the application needs to hear: the window came to the front, or closed.
    struct Observer {
        std::function<void(GtkNativeWindow&)> cameToFront;
        std::function<void(GtkNativeWindow&)> closed;
    };

    GtkNativeWindow(const WindowOptions& options, Observer observer);
    ~GtkNativeWindow() override;
    GtkNativeWindow(const GtkNativeWindow&) = delete;
    GtkNativeWindow& operator=(const GtkNativeWindow&) = delete;

    GtkWindow* gtkWindow() const { return window_; }
    bool isClosed() const { return closed_; }
    static GtkNativeWindow& of(NativeWindow& window);

    void setDelegate(std::weak_ptr<NativeWindowDelegate> delegate) override;
    void setTitle(const std::string& title) override;
    std::string title() const override;
    void setBackgroundColor(Color color) override;
    Color backgroundColor() const override { return background_; }
    void setTitlebarAppearsTransparent(bool transparent) override;
    bool titlebarAppearsTransparent() const override { return transparentTitlebar_; }
    void setTitlebarAccessory(std::shared_ptr<View> accessory) override;
    ContainerView& contentView() override { return *content_; }
    Point frameOrigin() const override;
    void setFrameOrigin(Point origin) override;
    void center() override;
    void makeKeyAndOrderFrontRegardless() override;
    bool isVisible() const override;
    bool isMiniaturized() const override { return miniaturized_; }
    bool isKeyWindow() const override;
    bool hasAttachedSheet() const override;
    bool firstResponderIsInside(const View& view) const override;
    void close() override;

private:
    void applyStyle();
    double screenHeight() const;

    static gboolean onDelete(GtkWidget*, GdkEvent*, GtkNativeWindow* self);
    static void onActiveChanged(GObject*, GParamSpec*, GtkNativeWindow* self);
    static gboolean onStateChanged(GtkWidget*, GdkEventWindowState* event, GtkNativeWindow* self);

    Observer observer_;
    GtkWindow* window_;
    GtkWidget* headerBar_;
    GtkCssProvider* css_;
    std::shared_ptr<GtkContainerView> content_;
    GtkChildList accessories_;
    std::weak_ptr<NativeWindowDelegate> delegate_;
    Color background_;
    bool transparentTitlebar_ = false;
    bool miniaturized_ = false;
    bool closed_ = false;
};

}  // namespace pellora
