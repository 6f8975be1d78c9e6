#include "base/EventLoop.h"

#include <cassert>
#include <stdexcept>

namespace pellora {

namespace {
EventLoop* gMainLoop = nullptr;
}

Timer& Timer::operator=(Timer&& other) noexcept {
    if (this != &other) {
        invalidate();
        source_ = std::move(other.source_);
    }
    return *this;
}

void Timer::invalidate() {
    if (source_) {
        source_->cancel();
        source_.reset();
    }
}

EventLoop& EventLoop::main() {
    if (!gMainLoop) throw std::logic_error("no main event loop installed");
    return *gMainLoop;
}

bool EventLoop::hasMain() { return gMainLoop != nullptr; }

void EventLoop::setMain(EventLoop* loop) { gMainLoop = loop; }

}  // namespace pellora
