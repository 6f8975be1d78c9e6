// Callbacks that outlive a call hold their owner weakly and do nothing once it is gone.
#pragma once

#include <memory>
#include <utility>

namespace pellora {

// Wraps `action(owner, args...)` so it runs only while `owner` is alive.
template <typename T, typename F>
auto weakClosure(const std::shared_ptr<T>& owner, F action) {
    return [weak = std::weak_ptr<T>(owner), action = std::move(action)](auto&&... args) mutable {
        if (auto strong = weak.lock()) action(*strong, std::forward<decltype(args)>(args)...);
    };
}

template <typename T, typename F>
auto weakClosure(const std::weak_ptr<T>& owner, F action) {
    return [weak = owner, action = std::move(action)](auto&&... args) mutable {
        if (auto strong = weak.lock()) action(*strong, std::forward<decltype(args)>(args)...);
    };
}

}  // namespace pellora
