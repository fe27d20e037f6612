#include "Pop3Client.h"

#include "Clock.h"
#include "ClockWake.h"
#include "HostMap.h"
#include "RequestStop.h"
#include "ServerText.h"
#include "SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Longest reply line taken; a server sending more is not a POP3 server.
constexpr std::size_t kMaxLine = 8192;
// Longest single block of a socket wait: the stop is looked at again at least this often
// even where no descriptor can tell of it.
constexpr int kWaitMaxMs = 1000;

// Socket errors read as the Windows socket layer words them, which is what users of the
// original saw after "Checar e-mail: ".
AnsiString socketErrorText(int err) {
    struct Known {
        int err;
        int code;
        const char* text;
    };
    static const Known known[] = {
        {ECONNREFUSED, 10061, "Connection refused."},
        {ETIMEDOUT, 10060, "Connection timed out."},
        {EHOSTUNREACH, 10065, "No route to host."},
        {ENETUNREACH, 10051, "Network is unreachable."},
        {ECONNRESET, 10054, "Connection reset by peer."},
        {EPIPE, 10054, "Connection reset by peer."},
        {ECONNABORTED, 10053, "Software caused connection abort."},
        {EADDRNOTAVAIL, 10049, "Cannot assign requested address."},
        {EACCES, 10013, "Permission denied."},
    };
    for (const auto& k : known)
        if (k.err == err) return Format("Socket Error # %d %s", k.code, k.text);
    char buf[256];
    const char* text = strerror_r(err, buf, sizeof buf);
    return Format("Socket Error # %d %s.", err, text);
}

const AnsiString kHostNotFound = "Socket Error # 11001 Host not found.";
const AnsiString kConnectTimedOut = "Socket Error # 10060 Connection timed out.";
const AnsiString kReadTimedOut = "Read timed out.";
const AnsiString kClosedGracefully = "Connection Closed Gracefully.";

// Waits for `events` on `fd` until `deadline` on the program's clock, blocking no longer than
// the clock allows at a time, and ends at once when the thread's requests are stopped.
// 1 ready, 0 time-out, -1 error (errno), -2 stopped.
int waitFor(int fd, short events, int64_t deadline) {
    Clock& clock = CurrentClock();
    TClockWake wake(clock, deadline);
    TRequestStop* stop = CurrentRequestStop();
    for (;;) {
        if (stop && stop->Stopped()) return -2;
        int64_t left = deadline - clock.MonotonicMs();
        if (left <= 0) return 0;
        int64_t wait = clock.RealWaitMs(deadline);
        int timeout = wait == Clock::kUntilWoken ? kWaitMaxMs : static_cast<int>(std::min<int64_t>(wait, kWaitMaxMs));
        pollfd p[3] = {{fd, events, 0}, {wake.fd(), POLLIN, 0}, {stop ? stop->Fd() : -1, POLLIN, 0}};
        int r = ::poll(p, 3, timeout);
        if (r < 0 && errno != EINTR) return -1;
        if (r > 0 && p[0].revents) return 1;
        if (r > 0) wake.drain();
    }
}

// Connects a non-blocking socket to one address; the socket, or -1 with `err` set
// (ETIMEDOUT when the deadline passed).
int connectOne(const addrinfo* ai, int64_t deadline, int& err) {
    int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    if (::connect(fd, ai->ai_addr, ai->ai_addrlen) == 0) return fd;
    if (errno != EINPROGRESS) {
        err = errno;
        ::close(fd);
        return -1;
    }
    int r = waitFor(fd, POLLOUT, deadline);
    if (r <= 0) {
        err = r == 0 ? ETIMEDOUT : r == -2 ? ECANCELED : errno;
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0) err = errno;
    if (err != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool hasLineBreakOrNul(const AnsiString& s) { return s.find_first_of(std::string("\r\n\0", 3)) != AnsiString::npos; }
}  // namespace

TIdPOP3::~TIdPOP3() { close(); }

void TIdPOP3::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    buffer_.clear();
}

void TIdPOP3::waited(int outcome) {
    if (outcome == 0) fail(kReadTimedOut);
    if (outcome == -2) fail(kRequestStoppedText);
    if (outcome < 0) fail(socketErrorText(errno));
}

void TIdPOP3::fail(const AnsiString& message) {
    close();
    throw Exception(message);
}

void TIdPOP3::Connect() {
    if (Connected()) throw Exception("Already connected.");
    // A line break would let the login or password smuggle a command of its own.
    if (hasLineBreakOrNul(UserId) || hasLineBreakOrNul(Password))
        throw Exception("Login or password holds a line break.");
    disconnectError_.clear();
    if (TRequestStop* stop = CurrentRequestStop(); stop && stop->Stopped()) throw Exception(kRequestStoppedText);

    HostTarget target = ResolveHost(Host, Port);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::string port = std::to_string(target.port);
    if (target.address.empty() || ::getaddrinfo(target.address.c_str(), port.c_str(), &hints, &list) != 0)
        throw Exception(kHostNotFound);

    int64_t deadline = CurrentClock().MonotonicMs() + ConnectTimeout;
    int err = ECONNREFUSED;
    for (addrinfo* ai = list; ai && fd_ < 0; ai = ai->ai_next) fd_ = connectOne(ai, deadline, err);
    ::freeaddrinfo(list);
    if (fd_ < 0 && err == ECANCELED) throw Exception(kRequestStoppedText);
    if (fd_ < 0) throw Exception(err == ETIMEDOUT ? kConnectTimedOut : socketErrorText(err));

    expectOk(readLine());
    command("USER " + UserId);
    command("PASS " + Password);
}

int TIdPOP3::CheckMessages() {
    if (!Connected()) throw Exception("Not connected.");
    AnsiString reply = command("STAT");
    // "+OK 3 5120": the count is the first word after the status.
    std::size_t begin = reply.find_first_not_of(' ', 3);
    std::size_t end = begin == AnsiString::npos ? AnsiString::npos : reply.find(' ', begin);
    AnsiString word = begin == AnsiString::npos ? AnsiString() : reply.substr(begin, end - begin);
    bool digits = !word.empty() && word.size() <= 10 &&
                  std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
    long long n = digits ? std::stoll(word) : -1;
    if (n < 0 || n > INT_MAX) fail("Invalid reply to STAT: " + ServerText(reply));
    return static_cast<int>(n);
}

bool TIdPOP3::Disconnect() {
    disconnectError_.clear();
    if (!Connected()) return true;
    try {
        command("Quit");
    } catch (const Exception& e) {
        disconnectError_ = e.Message;
    }
    close();
    return disconnectError_.empty();
}

AnsiString TIdPOP3::command(const AnsiString& line) {
    sendCommand(line);
    return expectOk(readLine());
}

AnsiString TIdPOP3::expectOk(const AnsiString& reply) {
    if (StartsText("+OK", reply)) return reply;
    // The server's own words: what follows "-ERR", or the whole line when it is not even that;
    // a line with no words at all still says what happened.
    AnsiString text = StartsText("-ERR", reply) ? Trim(reply.substr(4)) : Trim(reply);
    if (text.empty()) text = Trim(reply);
    fail(text.empty() ? AnsiString("Empty reply from the server.") : ServerText(text));
}

void TIdPOP3::sendCommand(const AnsiString& line) {
    std::string out = line + "\r\n";
    std::size_t sent = 0;
    int64_t deadline = CurrentClock().MonotonicMs() + ReadTimeout;
    while (sent < out.size()) {
        ssize_t n = ::send(fd_, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) fail(socketErrorText(errno));
        waited(waitFor(fd_, POLLOUT, deadline));
    }
}

AnsiString TIdPOP3::readLine() {
    int64_t deadline = CurrentClock().MonotonicMs() + ReadTimeout;
    for (;;) {
        if (auto lf = buffer_.find('\n'); lf != std::string::npos) {
            AnsiString line = buffer_.substr(0, lf);
            buffer_.erase(0, lf + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        if (buffer_.size() > kMaxLine) fail("Reply line too long.");
        char chunk[1024];
        ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n > 0) {
            buffer_.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) fail(kClosedGracefully);
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) fail(socketErrorText(errno));
        waited(waitFor(fd_, POLLIN, deadline));
    }
}
