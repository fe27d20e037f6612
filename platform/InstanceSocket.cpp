#include "InstanceSocket.h"

#include "Machine.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cinttypes>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

namespace {
// A sender that never ends its line is cut off beyond this.
constexpr std::size_t kMaxPending = 4096;

sockaddr_un addressOf(const std::string& title, socklen_t& length) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::string name = InstanceSocketName(title);
    std::size_t n = std::min(name.size(), sizeof a.sun_path - 1);
    std::memcpy(a.sun_path + 1, name.data(), n);  // sun_path[0] == 0: the abstract namespace
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
    return a;
}

bool sameUser(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == getuid();
}

// "msg wParam lParam" in decimal, blanks around them allowed; anything else is no message.
bool parse(const std::string& line, InstanceMessage& m) {
    std::vector<std::string_view> fields;
    std::string_view rest(line);
    while (!rest.empty()) {
        std::size_t start = rest.find_first_not_of(" \t\r");
        if (start == std::string_view::npos) break;
        rest.remove_prefix(start);
        std::size_t end = std::min(rest.find_first_of(" \t\r"), rest.size());
        fields.push_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    if (fields.size() != 3) return false;
    auto number = [](std::string_view f, auto& value) {
        auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), value);
        return ec == std::errc() && end == f.data() + f.size();
    };
    InstanceMessage read;
    if (!number(fields[0], read.msg) || !number(fields[1], read.wParam) || !number(fields[2], read.lParam))
        return false;
    m = read;
    return true;
}
}  // namespace

std::string InstanceSocketName(const std::string& title) {
    // FNV-1a over the machine directory and the title: a short name that keeps machines apart.
    std::string where = MachineDir() + '\0' + title;
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : where) h = (h ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016" PRIx64, h);
    return "vyn-" + std::to_string(getuid()) + "-" + hex;
}

struct TInstanceListener::Impl {
    struct Sender {
        int fd;
        std::string pending;
    };

    int listenFd = -1;
    int stopFd = -1;
    Deliver deliver;
    std::thread thread;

    ~Impl() {
        if (listenFd >= 0) close(listenFd);
        if (stopFd >= 0) close(stopFd);
    }

    void deliverLines(std::string& pending) {
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            InstanceMessage m;
            if (parse(pending.substr(0, end), m)) deliver(m);
        }
    }

    void run() {
        std::vector<Sender> senders;
        for (;;) {
            std::vector<pollfd> fds{{stopFd, POLLIN, 0}, {listenFd, POLLIN, 0}};
            for (const Sender& s : senders) fds.push_back({s.fd, POLLIN, 0});
            if (poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR) continue;
                break;
            }
            if (fds[0].revents) break;
            // In the order they connected: posts one after another (keys typed in a row)
            // are handled in the order they were made. Ended senders go after the round.
            for (std::size_t i = 0; i < senders.size(); ++i) {
                Sender& s = senders[i];
                if (!fds[i + 2].revents) continue;
                char chunk[512];
                ssize_t n = read(s.fd, chunk, sizeof chunk);
                if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
                if (n > 0) {
                    s.pending.append(chunk, static_cast<std::size_t>(n));
                    deliverLines(s.pending);
                    if (s.pending.size() <= kMaxPending) continue;
                }
                close(s.fd);
                s.fd = -1;
            }
            std::erase_if(senders, [](const Sender& s) { return s.fd < 0; });
            if (fds[1].revents & POLLIN) {
                for (int fd; (fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0;) {
                    if (sameUser(fd)) senders.push_back({fd, {}});
                    else close(fd);
                }
            }
        }
        for (const Sender& s : senders) close(s.fd);
    }
};

TInstanceListener::TInstanceListener(std::unique_ptr<Impl> d) : d_(std::move(d)) {}

std::unique_ptr<TInstanceListener> TInstanceListener::Claim(const std::string& title, Deliver deliver) {
    auto d = std::make_unique<Impl>();
    d->deliver = std::move(deliver);
    d->listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    socklen_t length = 0;
    sockaddr_un address = addressOf(title, length);
    // Binding is the claim: a name in use fails with EADDRINUSE.
    if (d->listenFd < 0 || bind(d->listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(d->listenFd, 16) != 0)
        return nullptr;
    d->stopFd = eventfd(0, EFD_CLOEXEC);
    if (d->stopFd < 0) return nullptr;
    Impl* impl = d.get();
    d->thread = std::thread([impl] { impl->run(); });
    pthread_setname_np(d->thread.native_handle(), "vyn-instance");
    return std::unique_ptr<TInstanceListener>(new TInstanceListener(std::move(d)));
}

TInstanceListener::~TInstanceListener() {
    std::uint64_t one = 1;
    while (write(d_->stopFd, &one, sizeof one) < 0 && errno == EINTR) {}
    d_->thread.join();
}

namespace {
// A connection to the holder of `title` (at most `timeoutMs` to make it), or -1.
int connectTo(const std::string& title, int timeoutMs) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    // Bounds the connect (a full backlog) and the writes alike.
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    socklen_t length = 0;
    sockaddr_un address = addressOf(title, length);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0) return fd;
    close(fd);
    return -1;
}
}  // namespace

bool SendToInstance(const std::string& title, const InstanceMessage& m, int timeoutMs) {
    int fd = connectTo(title, timeoutMs);
    bool sent = fd >= 0;
    std::string line = std::to_string(m.msg) + ' ' + std::to_string(m.wParam) + ' ' + std::to_string(m.lParam) + '\n';
    for (std::size_t done = 0; sent && done < line.size();) {
        ssize_t n = send(fd, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (n > 0) done += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR) continue;
        else sent = false;
    }
    if (fd >= 0) close(fd);
    return sent;
}

bool InstanceHeld(const std::string& title, int timeoutMs) {
    int fd = connectTo(title, timeoutMs);
    if (fd < 0) return false;
    close(fd);  // says nothing: the holder reads an empty connection and drops it
    return true;
}
