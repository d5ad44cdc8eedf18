#pragma once
// A real HTTP server on 127.0.0.1 at an ephemeral port, for tests of network clients: one
// thread answers each connection with what the test's script says for the request's target
// (status, headers, body, or a stall until the client gives up) and records the targets asked.
// Connections close after each answer.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackHttpServer {
public:
    struct Answer {
        int status = 200;
        std::string body;
        std::vector<std::string> headers;  // "Name: value"
        bool stall = false;                // say nothing until the client gives up
    };
    static Answer reply(int status, std::string body = {}) { return Answer{status, std::move(body), {}, false}; }
    // The request target ("/path?query") to the answer.
    using Script = std::function<Answer(const std::string& target)>;

    explicit LoopbackHttpServer(Script script) : script_(std::move(script)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 16) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LoopbackHttpServer() {
        stopping_ = true;
        if (thread_.joinable()) thread_.join();
        if (listener_ >= 0) ::close(listener_);
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const { return port_; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> targets() const {
        std::lock_guard lock(mutex_);
        return targets_;
    }
    void setScript(Script script) {
        std::lock_guard lock(mutex_);
        script_ = std::move(script);
    }

    static std::string reason(int status) {
        switch (status) {
        case 200: return "OK";
        case 204: return "No Content";
        case 302: return "Found";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        default: return "Status";
        }
    }

private:
    void serve() {
        while (!stopping_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            const int connection = ::accept(listener_, nullptr, nullptr);
            if (connection < 0) continue;
            answer(connection);
            ::close(connection);
        }
    }
    void answer(int connection) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && !stopping_) {
            pollfd p{connection, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0) return;
            request.append(buffer, static_cast<size_t>(n));
        }
        const size_t start = request.find(' '), end = request.find(' ', start + 1);
        if (start == std::string::npos || end == std::string::npos) return;
        const std::string target = request.substr(start + 1, end - start - 1);
        Script script;
        {
            std::lock_guard lock(mutex_);
            targets_.push_back(target);
            script = script_;
        }
        const Answer a = script(target);
        if (a.stall) {
            // Silent until the client gives up (or the server stops), then on to the next one.
            while (!stopping_) {
                pollfd p{connection, POLLIN, 0};
                if (::poll(&p, 1, 5) > 0 && ::recv(connection, buffer, sizeof buffer, 0) <= 0) break;
            }
            return;
        }
        std::string out = "HTTP/1.1 " + std::to_string(a.status) + " " + reason(a.status) + "\r\n";
        for (const std::string& h : a.headers) out += h + "\r\n";
        out += "Content-Length: " + std::to_string(a.body.size()) + "\r\nConnection: close\r\n\r\n" + a.body;
        for (size_t sent = 0; sent < out.size();) {
            const ssize_t n = ::send(connection, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
    }

    Script script_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> targets_;
};
