// A tiny HTTP/1.0 server on 127.0.0.1 for web view tests: fixed responses per path,
// records the headers of each request. Serves on its own thread until destroyed.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace pellora::testing {

class LoopbackHttpServer {
public:
    struct Response {
        int status = 200;
        std::string contentType = "text/html";
        std::map<std::string, std::string> headers;
        std::string body;
        int delayMs = 0;  // answers after this long (blocks this server meanwhile)
    };

    LoopbackHttpServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
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

    ~LoopbackHttpServer() {
        stopping_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }

    int port() const { return port_; }
    // "http://<host>:<port><path>"; host "localhost" gives a second origin on the same server.
    std::string url(const std::string& path, const std::string& host = "127.0.0.1") const {
        return "http://" + host + ":" + std::to_string(port_) + path;
    }

    void route(const std::string& path, Response response) {
        std::lock_guard lock(mutex_);
        routes_[path] = std::move(response);
    }

    // The raw request head last received for `path` (empty when none arrived).
    std::string lastRequestHead(const std::string& path) const {
        std::lock_guard lock(mutex_);
        auto it = heads_.find(path);
        return it == heads_.end() ? std::string() : it->second;
    }

private:
    void serve() {
        while (!stopping_) {
            int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0) continue;
            answer(client);
            ::close(client);
        }
    }

    void answer(int client) {
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
            ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) return;
            head.append(buffer, static_cast<size_t>(got));
        }
        const auto firstSpace = head.find(' ');
        const auto secondSpace = head.find(' ', firstSpace + 1);
        std::string path = head.substr(firstSpace + 1, secondSpace - firstSpace - 1);
        Response response{404, "text/plain", {}, "not found"};
        {
            std::lock_guard lock(mutex_);
            heads_[path] = head;
            if (auto it = routes_.find(path); it != routes_.end()) response = it->second;
        }
        if (response.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(response.delayMs));
        std::string out = "HTTP/1.0 " + std::to_string(response.status) + " X\r\nContent-Type: " +
                          response.contentType + "\r\nContent-Length: " + std::to_string(response.body.size()) +
                          "\r\nConnection: close\r\n";
        for (const auto& [name, value] : response.headers) out += name + ": " + value + "\r\n";
        out += "\r\n" + response.body;
        ::send(client, out.data(), out.size(), MSG_NOSIGNAL);
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, Response> routes_;
    std::map<std::string, std::string> heads_;
};

}  // namespace pellora::testing
