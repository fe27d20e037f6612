// The provider as the demo machine sees it, on loopback: the dialer service's pages over
// HTTP and a mailbox over POP3. It picks free ports, writes the machine's "hosts.txt" so
// the provider's host names lead here, says "ready" on standard output, and serves until
// it is told to stop (SIGTERM, SIGINT) or its standard input closes.
//
//   demo-server --machine DIR --tels FILE --version 1.3.0.28 [--newer 1.4.0.0] [--messages 3]
//
// Every request is appended to DIR/provider-requests.log, every POP3 line to
// DIR/mail-dialogue.log.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {
volatile std::sig_atomic_t gStop = 0;

struct Options {
    std::string machine, tels, version = "1.3.0.28", newer;
    int messages = 3;
};

int listenLoopback(int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0) {
        std::perror("demo-server");
        std::exit(1);
    }
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}

// Reads into `buffer` until `done` says enough, the peer closes, or 10 s pass quietly.
template <class Done>
bool readUntil(int fd, std::string& buffer, Done done) {
    char chunk[4096];
    while (!done(buffer)) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) return false;
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0) return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
}

void sendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void append(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::app) << text; }

void serveHttp(int fd, const Options& o) {
    std::string request;
    std::size_t headEnd = std::string::npos;
    std::size_t length = 0;
    bool ok = readUntil(fd, request, [&](const std::string& b) {
        if (headEnd == std::string::npos) {
            headEnd = b.find("\r\n\r\n");
            if (headEnd == std::string::npos) return false;
            std::string head = b.substr(0, headEnd);
            for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            std::size_t at = head.find("content-length:");
            if (at != std::string::npos) length = std::stoul(head.substr(at + 15));
        }
        return b.size() >= headEnd + 4 + length;
    });
    if (!ok) return;
    std::string first = request.substr(0, request.find("\r\n"));
    std::string body = request.substr(headEnd + 4, length);
    append(o.machine + "/provider-requests.log", first + (body.empty() ? "" : "\n    " + body) + "\n");

    std::string path = first.substr(first.find(' ') + 1);
    path = path.substr(0, path.find(' '));
    int code = 200;
    std::string reply;
    if (path == "/private/corvala/versao.php") reply = "*" + (o.newer.empty() ? o.version : o.newer) + "*";
    else if (path == "/private/corvala/tels") reply = fileText(o.tels);
    else if (path == "/private/corvala/log.php" || path == "/private/corvala/conexao.php") reply = "OK";
    else code = 404, reply = "not here";
    sendAll(fd, "HTTP/1.1 " + std::to_string(code) + (code == 200 ? " OK" : " Not Found") +
                    "\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(reply.size()) +
                    "\r\nConnection: close\r\n\r\n" + reply);
}

void servePop3(int fd, const Options& o) {
    std::string log = o.machine + "/mail-dialogue.log";
    auto say = [&](const std::string& line) {
        append(log, "S: " + line + "\n");
        sendAll(fd, line + "\r\n");
    };
    say("+OK Vyn POP3 pronto");
    std::string buffer;
    for (;;) {
        if (!readUntil(fd, buffer, [](const std::string& b) { return b.find("\r\n") != std::string::npos; })) return;
        std::string line = buffer.substr(0, buffer.find("\r\n"));
        buffer.erase(0, line.size() + 2);
        std::string verb = line.substr(0, line.find(' '));
        append(log, "C: " + (verb == "PASS" ? std::string("PASS ****") : line) + "\n");
        if (verb == "USER" || verb == "PASS") say("+OK");
        else if (verb == "STAT") say("+OK " + std::to_string(o.messages) + " " + std::to_string(o.messages * 2048));
        else if (verb == "QUIT") {
            say("+OK bye");
            return;
        } else say("-ERR unknown command");
    }
}

void stop(int) { gStop = 1; }
}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string k = argv[i], v = argv[i + 1];
        if (k == "--machine") o.machine = v;
        else if (k == "--tels") o.tels = v;
        else if (k == "--version") o.version = v;
        else if (k == "--newer") o.newer = v;
        else if (k == "--messages") o.messages = std::stoi(v);
    }
    if (o.machine.empty() || o.tels.empty()) {
        std::cerr << "usage: demo-server --machine DIR --tels FILE [--version V] [--newer V] [--messages N]\n";
        return 2;
    }
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    int httpPort = 0, popPort = 0;
    int http = listenLoopback(httpPort);
    int pop = listenLoopback(popPort);
    std::ofstream(o.machine + "/hosts.txt") << "# the provider, served by demo-server on loopback\n"
                                            << "discador.vyn.example 127.0.0.1:" << httpPort << "\n"
                                            << "pop.vyn.example 127.0.0.1:" << popPort << "\n";
    std::cout << "ready http " << httpPort << " pop3 " << popPort << std::endl;

    while (!gStop) {
        pollfd p[3] = {{http, POLLIN, 0}, {pop, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (::poll(p, 3, 500) <= 0) continue;
        if (p[2].revents & (POLLIN | POLLHUP)) {
            char c;
            if (::read(STDIN_FILENO, &c, 1) <= 0) break;
        }
        for (int i = 0; i < 2; ++i) {
            if (!(p[i].revents & POLLIN)) continue;
            int fd = ::accept4(p[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            if (i == 0) serveHttp(fd, o);
            else servePop3(fd, o);
            ::close(fd);
        }
    }
    return 0;
}
