// Where blocking work of utility priority runs (tool runs, process discovery): off the
// main thread in the application, inline in unit tests so virtual time stays exact.
// Owned by main() (or a test) and shared by the objects that offload work.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <type_traits>
#include <variant>

#include "base/Task.h"

namespace pellora {

class WorkQueue {
public:
    virtual ~WorkQueue() = default;
    // Runs `work` somewhere, then `completion` on the main loop. Called on the main thread.
    virtual void dispatch(std::function<void()> work, std::function<void()> completion) = 0;
};

// Runs `work` on `queue` and resumes the awaiting task on the main loop with its result or
// exception.
template <typename F>
Task<std::invoke_result_t<F>> offload(WorkQueue& queue, F work) {
    using Result = std::invoke_result_t<F>;
    using Stored = std::conditional_t<std::is_void_v<Result>, std::monostate, Result>;
    auto outcome = std::make_shared<std::variant<std::monostate, Stored, std::exception_ptr>>();
    co_await awaitCallback<bool>([&queue, &work, outcome](std::function<void(bool)> resolve) {
        queue.dispatch(
            [work = std::move(work), outcome]() mutable {
                try {
                    if constexpr (std::is_void_v<Result>) {
                        work();
                        outcome->template emplace<1>();
                    } else {
                        outcome->template emplace<1>(work());
                    }
                } catch (...) {
                    outcome->template emplace<2>(std::current_exception());
                }
            },
            [resolve] { resolve(true); });
    });
    if (outcome->index() == 2) std::rethrow_exception(std::get<2>(*outcome));
    if constexpr (!std::is_void_v<Result>) co_return std::move(std::get<1>(*outcome));
}

}  // namespace pellora
