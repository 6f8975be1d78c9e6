// A loopback HTTP server for client tests whose answers are scripted byte by byte: each
// route is a list of steps (wait, then send bytes), so a test can serve a normal answer,
// dribble a body slowly, go silent, or hang up. Serves one connection at a time on its own
// thread until destroyed; destruction wakes any wait and joins the thread. Requests whose
// first bytes are not an HTTP request line (a TLS hello, say) get a plain 400, as an
// ordinary HTTP server would answer them.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pellora::testing {

class ScriptedHttpServer {
public:
    struct Step {
        std::optional<std::chrono::milliseconds> waitBefore;  // absent: wait until the server stops
        std::string bytes;
    };
    using Script = std::vector<Step>;

    // A complete HTTP/1.1 answer sent at once.
    static Script answer(int status, const std::string& body,
                         const std::map<std::string, std::string>& headers = {}) {
        return {{std::chrono::milliseconds(0), head(status, body.size(), headers) + body}};
    }
    static std::string head(int status, std::size_t contentLength,
                            const std::map<std::string, std::string>& headers = {}) {
        std::string out = "HTTP/1.1 " + std::to_string(status) + " Status\r\nContent-Length: " +
                          std::to_string(contentLength) + "\r\nConnection: close\r\n";
        for (const auto& [name, value] : headers) out += name + ": " + value + "\r\n";
        return out + "\r\n";
    }
    // Reads the request and then says nothing until the client leaves or the server stops.
    static Script silence() { return {{std::nullopt, {}}}; }
    // Reads the request and hangs up without a byte.
    static Script hangUp() { return {}; }

    ScriptedHttpServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }

    ~ScriptedHttpServer() {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(stop_, &one, sizeof one);
        thread_.join();
        ::close(listener_);
        ::close(stop_);
    }

    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path, const std::string& scheme = "http") const {
        return scheme + "://127.0.0.1:" + std::to_string(port_) + path;
    }

    void route(const std::string& path, Script script) {
        std::lock_guard lock(mutex_);
        routes_[path] = std::move(script);
    }

    // Request heads received so far for `path`, oldest first.
    std::vector<std::string> requestsFor(const std::string& path) const {
        std::lock_guard lock(mutex_);
        auto found = heads_.find(path);
        return found == heads_.end() ? std::vector<std::string>{} : found->second;
    }

private:
    // Waits for `fd` to become readable or the server to stop; false when stopping or
    // when `limit` passed first.
    bool waitReadable(int fd, std::optional<std::chrono::milliseconds> limit) const {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, limit ? static_cast<int>(limit->count()) : -1);
        return ready > 0 && (fds[1].revents & POLLIN) == 0;
    }
    bool stopping() const {
        pollfd fd{stop_, POLLIN, 0};
        return ::poll(&fd, 1, 0) > 0;
    }

    void serve() {
        while (waitReadable(listener_, std::nullopt)) {
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            converse(client);
            ::close(client);
        }
    }

    void converse(int client) {
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
            if (!waitReadable(client, std::nullopt)) return;
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) return;
            head.append(buffer, static_cast<std::size_t>(got));
            if (!looksLikeHttp(head)) return play(client, answer(400, "bad request"));
        }
        const auto firstSpace = head.find(' ');
        const std::string path = head.substr(firstSpace + 1, head.find(' ', firstSpace + 1) - firstSpace - 1);
        Script script = answer(404, "not found");
        {
            std::lock_guard lock(mutex_);
            heads_[path].push_back(head);
            if (auto found = routes_.find(path); found != routes_.end()) script = found->second;
        }
        play(client, script);
    }

    static bool looksLikeHttp(const std::string& received) {
        return !received.empty() && received[0] >= 'A' && received[0] <= 'Z';
    }

    void play(int client, const Script& script) const {
        for (const auto& step : script) {
            if (!step.waitBefore) return holdUntilClientLeaves(client);
            if (step.waitBefore->count() > 0) {
                pollfd fd{stop_, POLLIN, 0};
                ::poll(&fd, 1, static_cast<int>(step.waitBefore->count()));
            }
            if (stopping() || !sendAll(client, step.bytes)) return;
        }
    }

    void holdUntilClientLeaves(int client) const {
        char buffer[256];
        while (waitReadable(client, std::nullopt) && ::recv(client, buffer, sizeof buffer, 0) > 0) {
        }
    }

    static bool sendAll(int client, const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t wrote = ::send(client, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (wrote <= 0) return false;
            sent += static_cast<std::size_t>(wrote);
        }
        return true;
    }

    int listener_ = -1;
    int stop_ = ::eventfd(0, EFD_CLOEXEC);
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, Script> routes_;
    std::map<std::string, std::vector<std::string>> heads_;
};

}  // namespace pellora::testing
