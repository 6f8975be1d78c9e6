// A top-level window with a title bar (title, a trailing accessory, an optional tint under
// a transparent title bar) and a content view. Main thread only. Created by the
// application port; its delegate is held weakly.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/View.h"

namespace pellora {

class NativeWindowDelegate {
public:
    virtual ~NativeWindowDelegate() = default;
    virtual bool windowShouldClose() { return true; }
    virtual void windowDidBecomeKey() {}
    virtual void windowWillClose() {}
    virtual void windowDidMiniaturize() {}
    virtual void windowDidDeminiaturize() {}
};

struct WindowOptions {
    Size contentSize{1200, 800};
    std::optional<Size> minSize;
    std::string title;
    Color background = Color::white(0.98);
};

class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    virtual void setDelegate(std::weak_ptr<NativeWindowDelegate> delegate) = 0;

    virtual void setTitle(const std::string& title) = 0;
    virtual std::string title() const = 0;
    virtual void setBackgroundColor(Color color) = 0;
    virtual Color backgroundColor() const = 0;
    // A transparent title bar lets the background colour show through it.
    virtual void setTitlebarAppearsTransparent(bool transparent) = 0;
    virtual bool titlebarAppearsTransparent() const = 0;
    // Places `accessory` at the trailing end of the title bar.
    virtual void setTitlebarAccessory(std::shared_ptr<View> accessory) = 0;

    virtual ContainerView& contentView() = 0;

    virtual Point frameOrigin() const = 0;
    virtual void setFrameOrigin(Point origin) = 0;
    virtual void center() = 0;

    // Makes the window key and orders it front, even when the application is not active.
    virtual void makeKeyAndOrderFrontRegardless() = 0;
    virtual bool isVisible() const = 0;
    virtual bool isMiniaturized() const = 0;
    virtual bool isKeyWindow() const = 0;
    virtual bool hasAttachedSheet() const = 0;
    // Whether the keyboard focus is on a view inside `view` (or `view` itself).
    virtual bool firstResponderIsInside(const View& view) const = 0;
    // Closes the window; the delegate hears windowWillClose first.
    virtual void close() = 0;
};

}  // namespace pellora
