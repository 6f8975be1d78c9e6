// Fake application and windows: windows are records; the test decides which one is key,
// visible or miniaturized and drives the delegate callbacks.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "fakes/FakeViews.h"
#include "platform/Alerts.h"
#include "platform/Application.h"

namespace pellora {

class FakeApplication;

class FakeNativeWindow final : public NativeWindow {
public:
    FakeNativeWindow(FakeApplication& app, WindowOptions options);

    void setDelegate(std::weak_ptr<NativeWindowDelegate> delegate) override { delegate_ = delegate; }
    void setTitle(const std::string& title) override { title_ = title; }
    std::string title() const override { return title_; }
    void setBackgroundColor(Color color) override { background_ = color; }
    Color backgroundColor() const override { return background_; }
    void setTitlebarAppearsTransparent(bool transparent) override { transparent_ = transparent; }
    bool titlebarAppearsTransparent() const override { return transparent_; }
    void setTitlebarAccessory(std::shared_ptr<View> accessory) override { this->accessory = accessory; }
    ContainerView& contentView() override { return *content; }
    Point frameOrigin() const override { return origin_; }
    void setFrameOrigin(Point origin) override {
        origin_ = origin;
        centred = false;
    }
    void center() override {
        origin_ = Point{100, 600};
        centred = true;
    }
    void makeKeyAndOrderFrontRegardless() override;
    bool isVisible() const override { return visible && !closed; }
    bool isMiniaturized() const override { return miniaturized; }
    bool isKeyWindow() const override;
    bool hasAttachedSheet() const override { return sheetCount > 0; }
    bool firstResponderIsInside(const View& view) const override { return firstResponder == &view; }
    void close() override;

    // Test drivers.
    void becomeKey();
    void miniaturize();
    void deminiaturize();
    std::shared_ptr<NativeWindowDelegate> delegate() const { return delegate_.lock(); }

    WindowOptions options;
    std::shared_ptr<FakeContainerView> content = std::make_shared<FakeContainerView>();
    std::shared_ptr<View> accessory;
    bool visible = false;
    bool miniaturized = false;
    bool closed = false;
    bool centred = false;
    int orderFrontCount = 0;
    int sheetCount = 0;
    const View* firstResponder = nullptr;

private:
    FakeApplication& app_;
    std::weak_ptr<NativeWindowDelegate> delegate_;
    std::string title_;
    Color background_;
    bool transparent_ = false;
    Point origin_;
};

class FakeApplication final : public Application {
public:
    void setActivationPolicy(ActivationPolicy policy) override { activationPolicy = policy; }
    void setDelegate(ApplicationDelegate* delegate) override { delegate_ = delegate; }
    ApplicationDelegate* delegate() const override { return delegate_; }
    void run() override;
    void terminate() override;
    void activate() override { ++activateCount; }
    std::shared_ptr<NativeWindow> createWindow(const WindowOptions& options) override;
    ViewFactory& views() override { return views_; }
    std::vector<std::shared_ptr<NativeWindow>> windows() const override;
    std::vector<std::shared_ptr<NativeWindow>> orderedWindows() const override;
    std::shared_ptr<NativeWindow> keyWindow() const override;
    std::shared_ptr<NativeWindow> mainWindow() const override { return keyWindow(); }

    // Bookkeeping the fake windows use.
    void orderFront(FakeNativeWindow* window);
    void setKey(FakeNativeWindow* window);
    void forget(FakeNativeWindow* window);

    std::vector<std::shared_ptr<FakeNativeWindow>> createdWindows() const;

    std::optional<ActivationPolicy> activationPolicy;
    int activateCount = 0;
    bool running = false;
    int terminateRequests = 0;
    bool terminated = false;

private:
    FakeViewFactory views_;
    ApplicationDelegate* delegate_ = nullptr;
    std::vector<std::weak_ptr<FakeNativeWindow>> windows_;
    std::vector<FakeNativeWindow*> order_;  // front first
    FakeNativeWindow* key_ = nullptr;
};

class FakeAlerts final : public Alerts {
public:
    struct Shown {
        NativeWindow* window;  // null for modal alerts
        AlertSpec alert;
        std::function<void(int)> completion;
    };
    void beginSheet(NativeWindow& window, const AlertSpec& alert,
                    std::function<void(int)> completion) override;
    int runModal(const AlertSpec& alert) override;

    std::vector<Shown> shown;
    int modalAnswer = 0;
};

}  // namespace pellora
