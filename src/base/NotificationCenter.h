// Post and observe named notifications inside the process (the shell's language change,
// for example). Main thread only. One process-wide center, like the platform's default one.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace pellora {

class NotificationCenter {
public:
    // Removes its observation when destroyed, so an observer that dies stops hearing.
    class Observation {
    public:
        Observation() = default;
        Observation(std::weak_ptr<NotificationCenter*> center, std::uint64_t token)
            : center_(std::move(center)), token_(token) {}
        Observation(Observation&& other) noexcept;
        Observation& operator=(Observation&& other) noexcept;
        Observation(const Observation&) = delete;
        Observation& operator=(const Observation&) = delete;
        ~Observation() { cancel(); }
        void cancel();

    private:
        std::weak_ptr<NotificationCenter*> center_;
        std::uint64_t token_ = 0;
    };

    NotificationCenter();
    static NotificationCenter& defaultCenter();

    [[nodiscard]] Observation observe(const std::string& name, std::function<void()> action);
    // Calls every observer of `name` in the order they subscribed.
    void post(const std::string& name);

private:
    struct Entry {
        std::string name;
        std::function<void()> action;
    };
    void remove(std::uint64_t token);

    std::uint64_t nextToken_ = 1;
    std::map<std::uint64_t, Entry> entries_;
    std::shared_ptr<NotificationCenter*> self_;
};

}  // namespace pellora
