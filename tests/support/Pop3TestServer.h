#pragma once
// A scripted POP3 server on 127.0.0.1 (ephemeral port) for the mailbox tests. It serves one
// connection at a time on its own thread and records the exact dialogue: "S: " + each line
// it sent, "C: " + each line it received (without its CR LF; a line ended by LF alone gets
// " <LF only>"), "C: <closed>" when the client closed, "S: <dropped>" when the script drops
// the line. Every wait is bounded; the destructor stops the thread, which also ends by
// itself after a minute.
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct Pop3Script {
    enum class Mode {
        Answer,    // greets and answers by the replies below
        Silent,    // accepts and never sends a byte
        NoAccept,  // its accept queue is full: connecting never completes
    };
    Mode mode = Mode::Answer;
    std::string greeting = "+OK POP3 server ready";
    std::string userReply = "+OK";
    std::string passReply = "+OK";
    std::string statReply = "+OK 0 0";
    std::string quitReply = "+OK bye";
    bool dropAtQuit = false;  // closes the line instead of answering QUIT

    static Pop3Script Messages(int count);      // STAT "+OK <count> <count*1024>"
    static Pop3Script WrongPassword();          // PASS "-ERR [AUTH] invalid password"
    static Pop3Script ApopGreeting(int count);  // greeting with an APOP timestamp
    static Pop3Script Silent();
    static Pop3Script DropAtQuit(int count);
    static Pop3Script StatWithoutNumber();  // STAT "+OK"
    static Pop3Script NoAccept();
};

class Pop3TestServer {
public:
    explicit Pop3TestServer(Pop3Script script);
    ~Pop3TestServer();
    Pop3TestServer(const Pop3TestServer&) = delete;
    Pop3TestServer& operator=(const Pop3TestServer&) = delete;

    int port() const { return port_; }
    // A "hosts.txt" line leading `host` here.
    std::string hostsLine(const std::string& host) const;

    std::vector<std::string> dialogue() const;
    int connections() const;  // accepted so far
    // Bounded waits (5 s) for the n-th connection to be accepted / to be closed by either side.
    bool waitForConnection(int n = 1) const;
    bool waitForClose(int n = 1) const;

    // A local port nobody listens on (connecting is refused).
    static int UnusedPort();

private:
    void run();
    void serve(int fd);
    bool sendLine(int fd, const std::string& line);
    void record(std::string line);

    Pop3Script script_;
    int listenFd_ = -1;
    int fillerFd_ = -1;
    int wakeFd_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> dialogue_;
    int accepted_ = 0;
    int closed_ = 0;
    std::thread thread_;
};
