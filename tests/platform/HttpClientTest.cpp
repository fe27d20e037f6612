#include "platform/HttpClient.h"
#include "platform/RequestStop.h"
#include "support/HttpTestServer.h"
#include "support/TempMachine.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const char* kHost = "discador.vyn.example";
const char* kUrl = "http://discador.vyn.example/private/corvala/tels";

struct Routed {
    TempMachine machine;
    HttpTestServer server;
    Routed() { machine.writeMachineFile("hosts.txt", server.hostsLine(kHost)); }
};

// A local port that nothing listens on.
int closedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

// What `request` raised ("" when it returned).
std::string errorOf(const std::function<void()>& request) {
    try {
        request();
        return "";
    } catch (const Exception& e) {
        return e.Message;
    }
}

// A request under way on a thread of its own; the wait for its end is bounded, so one that
// never ends fails the test (the server is then let go so the thread can end).
std::string endOf(std::future<std::string>& pending, HttpTestServer& server) {
    if (pending.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "the request did not end";
        server.release();
    }
    return pending.get();
}
}  // namespace

TEST(HttpClient, GetSendsExactlyTheOldClientsRequest) {
    Routed r;
    r.server.script(HttpScript::Reply(200, "OK", "<ESTADOS/>"));
    THttpClient http;
    std::string body;
    http.Get(kUrl, body);
    EXPECT_EQ(body, "<ESTADOS/>");
    EXPECT_EQ(http.ResponseCode(), 200);
    EXPECT_EQ(http.ResponseText(), "200 OK");
    ASSERT_EQ(r.server.requests().size(), 1u);
    EXPECT_EQ(r.server.requests()[0],
              "GET /private/corvala/tels HTTP/1.1\r\n"
              "Host: discador.vyn.example\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "\r\n");
}

TEST(HttpClient, PostSendsTheFormWholeWithoutExpect) {
    Routed r;
    r.server.script(HttpScript::Reply(200, "OK", "ok"));
    THttpClient http;
    http.ContentType = "application/x-www-form-urlencoded";
    // Large enough (over a megabyte) that the transfer library would otherwise send
    // "Expect: 100-continue" and hold the body back.
    std::string form = "dis_login=abc&dis_tel=" + std::string(1100000, '9') + "&";
    std::string reply;
    http.Post("http://discador.vyn.example/private/corvala/conexao.php", form, reply);
    EXPECT_EQ(reply, "ok");
    ASSERT_EQ(r.server.requests().size(), 1u);
    std::string request = r.server.requests()[0];
    auto headEnd = request.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    EXPECT_EQ(request.substr(0, headEnd + 4),
              "POST /private/corvala/conexao.php HTTP/1.1\r\n"
              "Host: discador.vyn.example\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: 1100023\r\n"
              "\r\n");
    EXPECT_TRUE(request.substr(headEnd + 4) == form) << "the body went out changed";
}

TEST(HttpClient, OnlyA2xxWithoutLocationReturns) {
    struct Case {
        HttpScript reply;
        int code;
        const char* error;  // nullptr: returns normally
    } cases[] = {
        {HttpScript::Reply(200, "OK", "x"), 200, nullptr},
        {HttpScript::Reply(204, "No Content"), 204, nullptr},
        {HttpScript::Reply(206, "Partial Content", "x"), 206, nullptr},
        {HttpScript::Reply(404, "Not Found", "<html>no</html>"), 404, "404 Not Found"},
        {HttpScript::Reply(500, "Internal Server Error"), 500, "500 Internal Server Error"},
        {HttpScript::Redirect(302, "Found", "http://elsewhere.example/"), 302, "302 Found"},
        {HttpScript::Redirect(301, "Moved Permanently", "/private/corvala/tels2"), 301, "301 Moved Permanently"},
        {HttpScript::Reply(304, "Not Modified"), 304, "304 Not Modified"},
        {HttpScript::Reply(201, "Created", "", {"Location: /novo"}), 201, "201 Created"},
        {HttpScript::Raw("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nz"), 200, nullptr},
        {HttpScript::Raw("HTTP/1.0 403 Proibido\r\n\r\n"), 403, "403 Proibido"},
        // An empty reason phrase, or blanks after it, leave no blank at the end.
        {HttpScript::Raw("HTTP/1.1 500 \r\nContent-Length: 0\r\n\r\n"), 500, "500"},
        {HttpScript::Raw("HTTP/1.1 502\r\nContent-Length: 0\r\n\r\n"), 502, "502"},
        {HttpScript::Raw("HTTP/1.1 503 Service Unavailable \t \r\nContent-Length: 0\r\n\r\n"), 503,
         "503 Service Unavailable"},
    };
    for (auto& c : cases) {
        Routed r;
        r.server.script(c.reply);
        THttpClient http;
        std::string body = "before";
        if (c.error) {
            try {
                http.Get(kUrl, body);
                ADD_FAILURE() << c.error << " returned normally";
            } catch (const EHttpProtocolError& e) {
                EXPECT_EQ(e.Message, c.error);
                EXPECT_EQ(e.ErrorCode, c.code);
            }
            EXPECT_EQ(body, "before") << c.error;
        } else {
            EXPECT_NO_THROW(http.Get(kUrl, body)) << c.code;
        }
        EXPECT_EQ(http.ResponseCode(), c.code);
        EXPECT_EQ(r.server.requests().size(), 1u) << "redirects are never followed";
    }
}

TEST(HttpClient, BodiesArriveAsSent) {
    Routed r;
    r.server.script(HttpScript::Chunked(200, "OK", {"<EST", "ADOS/>", std::string(40000, 'x')}));
    // A compressed body is not unpacked: the caller stores what the server sent.
    std::string packed("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00", 20);
    r.server.script(HttpScript::Reply(200, "OK", packed, {"Content-Encoding: gzip"}));
    THttpClient a, b;
    std::string body;
    a.Get(kUrl, body);
    EXPECT_EQ(body, "<ESTADOS/>" + std::string(40000, 'x'));
    b.Get(kUrl, body);
    EXPECT_EQ(body, packed);
    EXPECT_EQ(r.server.requests()[1].find("Accept-Encoding"), std::string::npos);
}

TEST(HttpClient, ProxyFromTheEnvironmentIsIgnored) {
    Routed r;
    r.server.script(HttpScript::Reply(200, "OK", "direct"));
    setenv("http_proxy", "http://127.0.0.1:1", 1);
    THttpClient http;
    std::string body;
    EXPECT_NO_THROW(http.Get(kUrl, body));
    unsetenv("http_proxy");
    EXPECT_EQ(body, "direct");
}

TEST(HttpClient, ConnectionFailuresRaiseTheirOwnText) {
    TempMachine m;
    m.writeMachineFile("hosts.txt", std::string(kHost) + " 127.0.0.1:" + std::to_string(closedPort()) + "\n");
    THttpClient http;
    std::string body;
    try {
        http.Get(kUrl, body);
        FAIL() << "no server answered, yet the request returned";
    } catch (const EHttpProtocolError&) {
        FAIL() << "a refused connection is not a reply";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message.find("onnect"), std::string::npos) << e.Message;
    }
    EXPECT_EQ(http.ResponseCode(), -1);
}

TEST(HttpClient, AServerThatStallsIsGivenUpOnTheProgramClock) {
    const std::string body = "<ESTADOS/><!-- twenty -->";
    for (bool late : {false, true}) {
        SCOPED_TRACE(late ? "a whole window too slow" : "a moment before the window ends");
        Routed r;
        r.server.script(HttpScript::Held(body, 10));
        THttpClient http;
        http.Timeouts.lowSpeedLimit = 1000;  // far more than the held reply sends
        http.Timeouts.lowSpeedTimeS = 5;
        std::string got;
        auto request = std::async(std::launch::async, [&] { return errorOf([&] { http.Get(kUrl, got); }); });
        ASSERT_TRUE(r.server.waitForRequests(1, 20000));
        r.machine.clock.Advance(late ? 5000 : 4999);
        if (!late) r.server.release();
        EXPECT_EQ(endOf(request, r.server),
                  late ? "Operation too slow. Less than 1000 bytes/sec transferred the last 5 seconds." : "");
        EXPECT_EQ(got, late ? "" : body);
    }
}

TEST(HttpClient, AReplyBodyIsBounded) {
    const std::string atBound(65536, 'b');
    struct {
        const char* what;
        HttpScript reply;
        std::size_t max;    // 0: the client's default
        std::string error;  // "": returns the body
    } cases[] = {
        {"at the bound", HttpScript::Reply(200, "OK", atBound), 0, ""},
        {"a byte over it", HttpScript::Reply(200, "OK", atBound + "b"), 0, "Reply larger than 65536 bytes."},
        {"chunked, a byte over it", HttpScript::Chunked(200, "OK", {atBound, "b"}), 0,
         "Reply larger than 65536 bytes."},
        {"never ending", HttpScript::Endless(), 0, "Reply larger than 65536 bytes."},
        {"never ending, a larger bound", HttpScript::Endless(), 3 << 20, "Reply larger than 3145728 bytes."},
        {"an error page over it", HttpScript::Reply(404, "Not Found", atBound + atBound), 0,
         "Reply larger than 65536 bytes."},
    };
    for (auto& c : cases) {
        Routed r;
        r.server.script(c.reply);
        THttpClient http;
        if (c.max) http.MaxReplyBytes = c.max;
        std::string body = "before";
        EXPECT_EQ(errorOf([&] { http.Get(kUrl, body); }), c.error) << c.what;
        EXPECT_TRUE(body == (c.error.empty() ? atBound : "before")) << c.what;
    }
}

TEST(HttpClient, AReasonPhraseIsCutAndItsControlBytesReplaced) {
    const std::string longReason(90000, 'r');
    struct {
        const char* what;
        std::string statusLine;
        std::string message;
    } cases[] = {
        {"90 KB of reason", "HTTP/1.1 500 " + longReason, "500 " + longReason.substr(0, 153) + "..."},
        {"exactly as long as shown", "HTTP/1.1 500 " + longReason.substr(0, 156), "500 " + longReason.substr(0, 156)},
        {"control bytes", "HTTP/1.1 503 Erro\x01\x1b[31m\x7f!", "503 Erro??[31m?!"},
        {"a tab", "HTTP/1.1 404 Not\tFound", "404 Not Found"},
        {"Latin-1 stays", "HTTP/1.1 403 Proibi\xE7\xE3o \x80", "403 Proibi\xE7\xE3o \x80"},
    };
    for (auto& c : cases) {
        Routed r;
        r.server.script(HttpScript::Raw(c.statusLine + "\r\nContent-Length: 0\r\n\r\n"));
        THttpClient http;
        std::string body;
        EXPECT_EQ(errorOf([&] { http.Get(kUrl, body); }), c.message) << c.what;
        EXPECT_EQ(http.ResponseText(), c.message) << c.what;
    }
}

TEST(HttpClient, TheWholeRequestHasADeadlineOnTheProgramClock) {
    const std::string body = "<ESTADOS/><!-- twenty -->";
    const std::string form(100 * 1024, 'f');
    struct {
        const char* what;
        std::size_t expected;  // 0: the client's default
        bool post;
        int64_t deadline;  // ms
    } cases[] = {
        {"a small reply", 0, false, 30000 + 16 * 500},
        {"a phone list", 1 << 20, false, 30000 + 1024 * 500},
        {"a posted body counts", 0, true, 30000 + (16 + 100) * 500},
    };
    for (auto& c : cases) {
        for (bool late : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (late ? ", at the deadline" : ", a moment before it"));
            Routed r;
            r.server.script(HttpScript::Held(body, 10));
            THttpClient http;
            http.Timeouts.lowSpeedLimit = 0;  // the deadline alone: no stall rule
            if (c.expected) http.ExpectedBytes = c.expected;
            std::string got;
            auto request = std::async(std::launch::async, [&] {
                return errorOf([&] { c.post ? http.Post(kUrl, form, got) : http.Get(kUrl, got); });
            });
            ASSERT_TRUE(r.server.waitForRequests(1, 20000));
            r.machine.clock.Advance(late ? c.deadline : c.deadline - 1);
            // Before the deadline the rest of the reply still counts; at it, the request ends.
            if (!late) r.server.release();
            EXPECT_EQ(endOf(request, r.server),
                      late ? "Operation timed out after " + std::to_string(c.deadline) + " milliseconds." : "");
            EXPECT_EQ(got, late ? "" : body);
        }
    }
}

TEST(HttpClient, AStopEndsTheRequestsOfItsThreadWhereverTheyAre) {
    struct {
        const char* what;
        HttpScript reply;
        bool stopFirst;
    } cases[] = {
        {"stopped before it starts", {}, true},
        {"no reply yet", HttpScript::Silent(), false},
        {"halfway through the body", HttpScript::Held(std::string(1000, 'b'), 500), false},
        {"a body that drips", HttpScript::Drip(std::string(1000, 'b'), 2, 1000), false},
    };
    for (auto& c : cases) {
        Routed r;
        if (!c.stopFirst) r.server.script(c.reply);
        TRequestStop stop;
        if (c.stopFirst) stop.Stop();
        std::string body;
        auto get = [&] { THttpClient().Get(kUrl, body); };
        // After the stop, every request of the thread fails before it connects.
        auto request = std::async(std::launch::async, [&] {
            TRequestStopScope scope(stop);
            return errorOf(get) + " " + errorOf(get);
        });
        if (!c.stopFirst) {
            ASSERT_TRUE(r.server.waitForRequests(1, 20000)) << c.what;
            stop.Stop();
        }
        EXPECT_EQ(endOf(request, r.server), "Request cancelled. Request cancelled.") << c.what;
        EXPECT_EQ(r.server.requests().size(), c.stopFirst ? 0u : 1u) << c.what;
        // Other threads' requests go on.
        r.server.script(HttpScript::Reply(200, "OK", "other"));
        EXPECT_EQ(errorOf(get), "") << c.what;
    }
}

TEST(HttpClient, AnHttpLibraryThatCannotBeLoadedFailsTheRequestNotTheProgram) {
    Routed r;
    const std::string kept = HttpLibraryName();
    struct {
        const char* library;
        const char* why;  // what the text says after the library's name
    } cases[] = {
        {"libvyn-no-such-library.so.4", ": libvyn-no-such-library.so.4: cannot open shared object file"},
        {"libz.so.1", ": it has no curl_global_init"},  // a library, but not the HTTP one
    };
    for (const auto& c : cases) {
        SetHttpLibraryName(c.library);
        THttpClient http;
        std::string body;
        std::string error = errorOf([&] { http.Get(kUrl, body); });
        EXPECT_EQ(error.rfind(std::string("Could not load the HTTP library ") + c.library + c.why, 0), 0u) << error;
        EXPECT_EQ(http.ResponseCode(), -1);
        EXPECT_EQ(r.server.requests().size(), 0u) << c.library;
    }
    // The next request tries again; the right library then serves it.
    SetHttpLibraryName(kept);
    r.server.script(HttpScript::Reply(200, "OK", "served"));
    THttpClient http;
    std::string body;
    EXPECT_EQ(errorOf([&] { http.Get(kUrl, body); }), "");
    EXPECT_EQ(body, "served");
    EXPECT_EQ(r.server.requests().size(), 1u);
}
