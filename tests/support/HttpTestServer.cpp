#include "HttpTestServer.h"

#include <arpa/inet.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kReadDeadlineMs = 5000;
constexpr int kIdleLimitMs = 60000;
constexpr std::size_t kMaxRequest = 4 << 20;

std::size_t contentLength(const std::string& head) {
    std::size_t pos = 0;
    while ((pos = head.find("\r\n", pos)) != std::string::npos) {
        pos += 2;
        static const char kName[] = "content-length:";
        std::size_t i = 0;
        while (kName[i] && pos + i < head.size() &&
               std::tolower(static_cast<unsigned char>(head[pos + i])) == kName[i])
            ++i;
        if (!kName[i]) return std::strtoul(head.c_str() + pos + i, nullptr, 10);
    }
    return 0;
}

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

HttpScript HttpScript::Reply(int code, const std::string& reason, const std::string& body,
                             const std::vector<std::string>& headers) {
    std::string raw = "HTTP/1.1 " + std::to_string(code) + " " + reason + "\r\n";
    for (auto& h : headers) raw += h + "\r\n";
    raw += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    return Raw(raw);
}

HttpScript HttpScript::Chunked(int code, const std::string& reason, const std::vector<std::string>& chunks) {
    std::string raw = "HTTP/1.1 " + std::to_string(code) + " " + reason +
                      "\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
    char size[32];
    for (auto& c : chunks) {
        std::snprintf(size, sizeof size, "%zx\r\n", c.size());
        raw += size + c + "\r\n";
    }
    raw += "0\r\n\r\n";
    return Raw(raw);
}

HttpScript HttpScript::Redirect(int code, const std::string& reason, const std::string& location) {
    return Reply(code, reason, "", {"Location: " + location});
}

HttpScript HttpScript::Silent() {
    HttpScript s;
    s.silent = true;
    return s;
}

HttpScript HttpScript::Raw(std::string bytes) {
    HttpScript s;
    s.raw = std::move(bytes);
    return s;
}

HttpScript HttpScript::Held(const std::string& body, std::size_t sentFirst) {
    HttpScript s = Reply(200, "OK", body);
    s.holdAt = s.raw.size() - body.size() + sentFirst;
    return s;
}

HttpScript HttpScript::Drip(const std::string& body, std::size_t bytes, int everyMs) {
    HttpScript s = Held(body, 0);
    s.dripBytes = bytes;
    s.dripEveryMs = everyMs;
    return s;
}

HttpScript HttpScript::Endless() {
    HttpScript s = Raw("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
    s.endless = true;
    return s;
}

HttpTestServer::HttpTestServer() {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    wakeFd_ = eventfd(0, EFD_CLOEXEC);
    releaseFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listenFd_ < 0 || wakeFd_ < 0 || releaseFd_ < 0 ||
        bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listenFd_, 16) != 0 ||
        getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("test server cannot listen");
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { serve(); });
}

HttpTestServer::~HttpTestServer() {
    stop_.store(true);
    uint64_t one = 1;
    (void)!write(wakeFd_, &one, sizeof one);
    thread_.join();
    for (int fd : held_) close(fd);
    close(listenFd_);
    close(wakeFd_);
    close(releaseFd_);
}

void HttpTestServer::release() {
    uint64_t one = 1;
    (void)!write(releaseFd_, &one, sizeof one);
}

std::string HttpTestServer::hostsLine(const AnsiString& host) const {
    return host + " 127.0.0.1:" + std::to_string(port_) + "\n";
}

void HttpTestServer::script(HttpScript reply) {
    std::lock_guard lock(mutex_);
    script_.push_back(std::move(reply));
}

std::vector<std::string> HttpTestServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool HttpTestServer::waitForRequests(std::size_t n, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return requests_.size() >= n; });
}

void HttpTestServer::serve() {
    long long lastActivity = nowMs();
    while (!stop_.load() && nowMs() - lastActivity < kIdleLimitMs) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (poll(fds, 2, 1000) <= 0 || fds[1].revents) continue;
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        handle(fd);
        lastActivity = nowMs();
    }
}

void HttpTestServer::handle(int fd) {
    std::string request;
    std::size_t headEnd = std::string::npos, need = 0;
    long long deadline = nowMs() + kReadDeadlineMs;
    char buf[65536];
    while (!stop_.load() && request.size() < kMaxRequest) {
        if (headEnd != std::string::npos && request.size() >= need) break;
        long long left = deadline - nowMs();
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (left <= 0 || poll(fds, 2, static_cast<int>(left)) <= 0 || fds[1].revents) break;
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        request.append(buf, static_cast<std::size_t>(n));
        if (headEnd == std::string::npos && (headEnd = request.find("\r\n\r\n")) != std::string::npos)
            need = headEnd + 4 + contentLength(request.substr(0, headEnd + 2));
    }
    HttpScript reply = HttpScript::Reply(500, "Unscripted", "");
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        if (!script_.empty()) {
            reply = std::move(script_.front());
            script_.pop_front();
        }
    }
    arrived_.notify_all();
    if (reply.before) reply.before();
    if (reply.silent) {
        held_.push_back(fd);
        return;
    }
    answer(fd, reply);
    shutdown(fd, SHUT_WR);
    close(fd);
}

HttpTestServer::Pause HttpTestServer::pause(int fd, int ms) {
    pollfd fds[3] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}, {releaseFd_, POLLIN, 0}};
    int r = poll(fds, 3, ms);
    if (r == 0) return Pause::TimedOut;
    if (r < 0 || fds[1].revents) return Pause::Ended;
    if (fds[0].revents) {  // more from the client, or the client gone
        char b[256];
        return recv(fd, b, sizeof b, MSG_DONTWAIT) <= 0 ? Pause::Ended : Pause::TimedOut;
    }
    uint64_t n;
    (void)!read(releaseFd_, &n, sizeof n);
    return Pause::Released;
}

void HttpTestServer::answer(int fd, const HttpScript& reply) {
    auto sendAll = [&](const char* data, std::size_t size) {
        for (std::size_t sent = 0; sent < size;) {
            ssize_t n = send(fd, data + sent, size - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    };
    std::size_t at = std::min(reply.holdAt, reply.raw.size());
    if (!sendAll(reply.raw.data(), at)) return;
    while (at < reply.raw.size()) {
        Pause p = pause(fd, reply.dripBytes ? reply.dripEveryMs : -1);
        if (p == Pause::Ended) return;
        if (p == Pause::TimedOut && !reply.dripBytes) continue;
        std::size_t n = reply.dripBytes ? std::min(reply.dripBytes, reply.raw.size() - at) : reply.raw.size() - at;
        if (!sendAll(reply.raw.data() + at, n)) return;
        at += n;
    }
    const std::string block(65536, 'x');
    for (std::size_t sent = 0; reply.endless && !stop_.load() && sent < (std::size_t{256} << 20);
         sent += block.size())
        if (!sendAll(block.data(), block.size())) return;
}
