#include "base/NotificationCenter.h"

#include <utility>
#include <vector>

namespace pellora {

NotificationCenter::NotificationCenter() : self_(std::make_shared<NotificationCenter*>(this)) {}

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::Observation::Observation(Observation&& other) noexcept
    : center_(std::move(other.center_)), token_(std::exchange(other.token_, 0)) {}

NotificationCenter::Observation& NotificationCenter::Observation::operator=(
    Observation&& other) noexcept {
    if (this != &other) {
        cancel();
        center_ = std::move(other.center_);
        token_ = std::exchange(other.token_, 0);
    }
    return *this;
}

void NotificationCenter::Observation::cancel() {
    if (auto center = center_.lock(); center && token_) (*center)->remove(token_);
    token_ = 0;
    center_.reset();
}

NotificationCenter::Observation NotificationCenter::observe(const std::string& name,
                                                            std::function<void()> action) {
    std::uint64_t token = nextToken_++;
    entries_.emplace(token, Entry{name, std::move(action)});
    return Observation(self_, token);
}

void NotificationCenter::post(const std::string& name) {
    // Observers may subscribe or unsubscribe while being told; walk a snapshot of tokens
    // and skip the ones removed meanwhile.
    std::vector<std::uint64_t> tokens;
    for (const auto& [token, entry] : entries_) {
        if (entry.name == name) tokens.push_back(token);
    }
    for (auto token : tokens) {
        auto it = entries_.find(token);
        if (it == entries_.end()) continue;
        auto action = it->second.action;
        action();
    }
}

void NotificationCenter::remove(std::uint64_t token) { entries_.erase(token); }

}  // namespace pellora
