#include "fakes/FakeApplication.h"

#include <algorithm>

namespace pellora {

FakeNativeWindow::FakeNativeWindow(FakeApplication& app, WindowOptions options)
    : options(std::move(options)), app_(app), title_(this->options.title),
      background_(this->options.background) {}

void FakeNativeWindow::makeKeyAndOrderFrontRegardless() {
    visible = true;
    ++orderFrontCount;
    app_.orderFront(this);
    becomeKey();
}

bool FakeNativeWindow::isKeyWindow() const { return app_.keyWindow().get() == this; }

void FakeNativeWindow::becomeKey() {
    app_.setKey(this);
    if (auto d = delegate()) d->windowDidBecomeKey();
}

void FakeNativeWindow::miniaturize() {
    miniaturized = true;
    if (auto d = delegate()) d->windowDidMiniaturize();
}

void FakeNativeWindow::deminiaturize() {
    miniaturized = false;
    if (auto d = delegate()) d->windowDidDeminiaturize();
}

void FakeNativeWindow::close() {
    if (closed) return;
    if (auto d = delegate()) d->windowWillClose();
    closed = true;
    visible = false;
    app_.forget(this);
}

void FakeApplication::run() { running = true; }

void FakeApplication::terminate() {
    ++terminateRequests;
    if (!delegate_) return;
    if (delegate_->applicationShouldTerminate() == TerminateReply::terminateNow) {
        delegate_->applicationWillTerminate();
        terminated = true;
        running = false;
    }
}

std::shared_ptr<NativeWindow> FakeApplication::createWindow(const WindowOptions& options) {
    auto window = std::make_shared<FakeNativeWindow>(*this, options);
    windows_.push_back(window);
    return window;
}

std::vector<std::shared_ptr<FakeNativeWindow>> FakeApplication::createdWindows() const {
    std::vector<std::shared_ptr<FakeNativeWindow>> out;
    for (const auto& weak : windows_)
        if (auto window = weak.lock()) out.push_back(window);
    return out;
}

std::vector<std::shared_ptr<NativeWindow>> FakeApplication::windows() const {
    std::vector<std::shared_ptr<NativeWindow>> out;
    for (const auto& window : createdWindows())
        if (!window->closed) out.push_back(window);
    return out;
}

std::vector<std::shared_ptr<NativeWindow>> FakeApplication::orderedWindows() const {
    std::vector<std::shared_ptr<NativeWindow>> out;
    for (auto* raw : order_) {
        for (const auto& window : createdWindows())
            if (window.get() == raw && window->isVisible()) out.push_back(window);
    }
    return out;
}

std::shared_ptr<NativeWindow> FakeApplication::keyWindow() const {
    for (const auto& window : createdWindows())
        if (window.get() == key_ && !window->closed) return window;
    return nullptr;
}

void FakeApplication::orderFront(FakeNativeWindow* window) {
    std::erase(order_, window);
    order_.insert(order_.begin(), window);
}

void FakeApplication::setKey(FakeNativeWindow* window) { key_ = window; }

void FakeApplication::forget(FakeNativeWindow* window) {
    std::erase(order_, window);
    if (key_ == window) key_ = nullptr;
}

void FakeAlerts::beginSheet(NativeWindow& window, const AlertSpec& alert,
                            std::function<void(int)> completion) {
    if (auto* fake = dynamic_cast<FakeNativeWindow*>(&window)) ++fake->sheetCount;
    shown.push_back(Shown{&window, alert, std::move(completion)});
}

int FakeAlerts::runModal(const AlertSpec& alert) {
    shown.push_back(Shown{nullptr, alert, nullptr});
    return modalAnswer;
}

}  // namespace pellora
