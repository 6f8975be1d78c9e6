#include "platform/linux/ThreadWorkQueue.h"

#include <thread>

#include "base/EventLoop.h"

namespace pellora {

void ThreadWorkQueue::dispatch(std::function<void()> work, std::function<void()> completion) {
    EventLoop* loop = &EventLoop::main();
    std::thread([loop, work = std::move(work), completion = std::move(completion)]() mutable {
        work();
        loop->postFromAnyThread(std::move(completion));
    }).detach();
}

}  // namespace pellora
