// Drives a task to its end in virtual time and reports its value or error text.
#pragma once

#include <optional>
#include <string>

#include "base/Task.h"
#include "base/VirtualEventLoop.h"

namespace pellora::testing {
// Internal linkage: clang 14 with sanitizers cannot emit these coroutines as comdat.
namespace {

template <typename T>
struct Outcome {
    std::optional<T> value;
    std::string error;
    bool finished = false;
    Duration took{0};
};

template <typename T>
Outcome<T> drive(VirtualEventLoop& loop, Task<T> task, Duration budget = std::chrono::seconds(120)) {
    Outcome<T> out;
    const Duration started = loop.uptime();
    spawn([](Task<T> inner, Outcome<T>& result) -> Task<void> {
        try {
            result.value = co_await std::move(inner);
        } catch (const std::exception& error) {
            result.error = describeError(error);
        }
        result.finished = true;
    }(std::move(task), out));
    for (Duration spent{0}; spent < budget; spent += std::chrono::milliseconds(10)) {
        loop.runUntilIdle();
        if (out.finished) break;
        loop.advance(std::chrono::milliseconds(10));
    }
    out.took = loop.uptime() - started;
    return out;
}

inline Task<bool> completes(Task<void> task) {
    co_await std::move(task);
    co_return true;
}

}  // namespace
}  // namespace pellora::testing
