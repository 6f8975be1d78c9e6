// Runs a task on a virtual-time loop whose clock follows the real clock, so real child
// processes, worker threads and timers meet as they would in the application.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "base/Task.h"
#include "base/VirtualEventLoop.h"

namespace pellora::integration {
// Internal linkage: clang 14 with sanitizers cannot emit these coroutines as comdat.
namespace {

template <typename T>
struct Outcome {
    std::optional<T> value;
    std::string error;
    bool finished = false;
    std::chrono::duration<double> took{0};
};

template <typename T>
Outcome<T> runInRealTime(VirtualEventLoop& loop, Task<T> task,
                         std::chrono::seconds budget = std::chrono::seconds(60)) {
    Outcome<T> out;
    spawn([](Task<T> inner, Outcome<T>& result) -> Task<void> {
        try {
            auto value = co_await std::move(inner);
            result.value = std::move(value);
        } catch (const std::exception& error) {
            result.error = describeError(error);
        }
        result.finished = true;
    }(std::move(task), out));
    const auto started = std::chrono::steady_clock::now();
    const Duration virtualStart = loop.uptime();
    while (!out.finished && std::chrono::steady_clock::now() - started < budget) {
        loop.runUntil([&] { return out.finished; }, std::chrono::milliseconds(5));
        const auto realElapsed =
            std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - started);
        const Duration behind = realElapsed - (loop.uptime() - virtualStart);
        if (behind > Duration(0)) loop.advance(behind);
    }
    out.took = std::chrono::steady_clock::now() - started;
    return out;
}

inline Task<bool> completes(Task<void> task) {
    co_await std::move(task);
    co_return true;
}

}  // namespace
}  // namespace pellora::integration
