#pragma once
// A scriptable HTTP server on 127.0.0.1 for the tests of the provider requests. It records
// the raw bytes of every request and answers each with the next scripted reply, byte for
// byte as scripted (status line, headers, body, chunked or not), or not at all. It serves on
// its own thread, bounds every read and the size of a request, stops when destroyed and
// also stops accepting after a minute without a connection.
#include "platform/AnsiString.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct HttpScript {
    std::string raw;               // sent as it is, then the connection is closed
    bool silent = false;           // read the request, then hold the connection unanswered
    std::function<void()> before;  // runs once the request is in, before the answer
    // The first `holdAt` bytes of `raw` go at once; the rest `dripBytes` at a time every
    // `dripEveryMs` real ms, or (dripBytes 0) whole at release(). A client that goes away
    // ends it.
    std::size_t holdAt = std::string::npos;
    std::size_t dripBytes = 0;
    int dripEveryMs = 0;
    bool endless = false;  // after `raw`, body bytes until the client goes (256 MB at most)

    // "HTTP/1.1 <code> <reason>", the extra headers, Content-Length, Connection: close, body.
    static HttpScript Reply(int code, const std::string& reason, const std::string& body = "",
                            const std::vector<std::string>& headers = {});
    static HttpScript Chunked(int code, const std::string& reason, const std::vector<std::string>& chunks);
    static HttpScript Redirect(int code, const std::string& reason, const std::string& location);
    static HttpScript Silent();
    static HttpScript Raw(std::string bytes);
    // 200 with `body` announced whole, of which `sentFirst` bytes go at once.
    static HttpScript Held(const std::string& body, std::size_t sentFirst);
    static HttpScript Drip(const std::string& body, std::size_t bytes, int everyMs);
    // 200 without a length: the body never ends.
    static HttpScript Endless();
};

class HttpTestServer {
public:
    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port() const { return port_; }
    // The line of the machine's "hosts.txt" that leads `host` here.
    std::string hostsLine(const AnsiString& host) const;

    // Replies in the order they will be used; a request with none left gets "500 Unscripted".
    void script(HttpScript reply);
    // Lets a held reply go on.
    void release();
    std::vector<std::string> requests() const;
    // Waits (at most `timeoutMs`) until `n` requests have arrived.
    bool waitForRequests(std::size_t n, int timeoutMs) const;

private:
    void serve();
    void handle(int fd);
    void answer(int fd, const HttpScript& reply);
    // Waits up to `ms` (-1: no bound) for a release; Ended when the server stops or the
    // client goes first.
    enum class Pause { Released, TimedOut, Ended };
    Pause pause(int fd, int ms);

    int listenFd_ = -1;
    int wakeFd_ = -1;
    int releaseFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::deque<HttpScript> script_;
    std::vector<std::string> requests_;
    std::vector<int> held_;  // silent connections, closed at stop
    std::thread thread_;
};
