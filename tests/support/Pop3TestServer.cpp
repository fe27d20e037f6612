#include "Pop3TestServer.h"

#include <arpa/inet.h>
#include <cctype>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
using Steady = std::chrono::steady_clock;
constexpr auto kLifetime = std::chrono::seconds(60);
constexpr auto kWaitBound = std::chrono::seconds(5);

int listenLocal(int backlog, int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket failed");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 || ::listen(fd, backlog) < 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) < 0) {
        ::close(fd);
        throw std::runtime_error("listen failed");
    }
    port = ntohs(a.sin_port);
    return fd;
}

std::string upperWord(const std::string& line) {
    std::string w = line.substr(0, line.find(' '));
    for (char& c : w) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return w;
}
}  // namespace

Pop3Script Pop3Script::Messages(int count) {
    Pop3Script s;
    s.statReply = "+OK " + std::to_string(count) + " " + std::to_string(count * 1024);
    return s;
}

Pop3Script Pop3Script::WrongPassword() {
    Pop3Script s;
    s.passReply = "-ERR [AUTH] invalid password";
    return s;
}

Pop3Script Pop3Script::ApopGreeting(int count) {
    Pop3Script s = Messages(count);
    s.greeting = "+OK POP3 server ready <1896.697170952@pop.test.example>";
    return s;
}

Pop3Script Pop3Script::Silent() {
    Pop3Script s;
    s.mode = Mode::Silent;
    return s;
}

Pop3Script Pop3Script::DropAtQuit(int count) {
    Pop3Script s = Messages(count);
    s.dropAtQuit = true;
    return s;
}

Pop3Script Pop3Script::StatWithoutNumber() {
    Pop3Script s;
    s.statReply = "+OK";
    return s;
}

Pop3Script Pop3Script::NoAccept() {
    Pop3Script s;
    s.mode = Mode::NoAccept;
    return s;
}

Pop3TestServer::Pop3TestServer(Pop3Script script) : script_(std::move(script)) {
    bool noAccept = script_.mode == Pop3Script::Mode::NoAccept;
    // With a backlog of 0 the kernel queues one connection; ours fills it, so a client's
    // handshake is never answered.
    listenFd_ = listenLocal(noAccept ? 0 : 8, port_);
    if (noAccept) {
        fillerFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(port_));
        if (fillerFd_ < 0 || ::connect(fillerFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0)
            throw std::runtime_error("filler connect failed");
    }
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
}

Pop3TestServer::~Pop3TestServer() {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
    thread_.join();
    for (int fd : {listenFd_, fillerFd_, wakeFd_})
        if (fd >= 0) ::close(fd);
}

std::string Pop3TestServer::hostsLine(const std::string& host) const {
    return host + " 127.0.0.1:" + std::to_string(port_) + "\n";
}

std::vector<std::string> Pop3TestServer::dialogue() const {
    std::lock_guard lock(mutex_);
    return dialogue_;
}

int Pop3TestServer::connections() const {
    std::lock_guard lock(mutex_);
    return accepted_;
}

bool Pop3TestServer::waitForConnection(int n) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWaitBound, [&] { return accepted_ >= n; });
}

bool Pop3TestServer::waitForClose(int n) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWaitBound, [&] { return closed_ >= n; });
}

int Pop3TestServer::UnusedPort() {
    int port = 0;
    ::close(listenLocal(1, port));
    return port;
}

void Pop3TestServer::record(std::string line) {
    std::lock_guard lock(mutex_);
    dialogue_.push_back(std::move(line));
    changed_.notify_all();
}

bool Pop3TestServer::sendLine(int fd, const std::string& line) {
    std::string out = line + "\r\n";
    record("S: " + line);
    return ::send(fd, out.data(), out.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(out.size());
}

void Pop3TestServer::run() {
    const auto end = Steady::now() + kLifetime;
    const bool accepting = script_.mode != Pop3Script::Mode::NoAccept;
    while (Steady::now() < end) {
        pollfd p[2] = {{wakeFd_, POLLIN, 0}, {accepting ? listenFd_ : -1, POLLIN, 0}};
        if (::poll(p, 2, 100) <= 0) continue;
        if (p[0].revents) return;
        if (!(p[1].revents & POLLIN)) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        {
            std::lock_guard lock(mutex_);
            ++accepted_;
            changed_.notify_all();
        }
        serve(fd);
        ::close(fd);
        std::lock_guard lock(mutex_);
        ++closed_;
        changed_.notify_all();
    }
}

void Pop3TestServer::serve(int fd) {
    const auto end = Steady::now() + kLifetime;
    const bool answering = script_.mode == Pop3Script::Mode::Answer;
    if (answering && !sendLine(fd, script_.greeting)) return;
    std::string buffer;
    while (Steady::now() < end) {
        pollfd p[2] = {{wakeFd_, POLLIN, 0}, {fd, POLLIN, 0}};
        if (::poll(p, 2, 100) <= 0) continue;
        if (p[0].revents) return;
        char chunk[512];
        ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) {
            record(n == 0 ? "C: <closed>" : "C: <reset>");
            return;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
        for (std::size_t lf; (lf = buffer.find('\n')) != std::string::npos;) {
            std::string line = buffer.substr(0, lf);
            buffer.erase(0, lf + 1);
            bool crlf = !line.empty() && line.back() == '\r';
            if (crlf) line.pop_back();
            record("C: " + line + (crlf ? "" : " <LF only>"));
            if (!answering) continue;
            std::string word = upperWord(line);
            if (word == "QUIT") {
                if (script_.dropAtQuit) record("S: <dropped>");
                else sendLine(fd, script_.quitReply);
                return;
            }
            const std::string reply = word == "USER"   ? script_.userReply
                                      : word == "PASS" ? script_.passReply
                                      : word == "STAT" ? script_.statReply
                                                       : "-ERR unknown command";
            if (!sendLine(fd, reply)) return;
        }
    }
}
