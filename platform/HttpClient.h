#pragma once
// The HTTP client the provider requests use, in place of the internet components' client.
// One client makes one request and is then released. It keeps the old client's manners on
// the wire: HTTP/1.1, Nagle on, no proxy, no compression asked for, "Accept: text/html, */*",
// its User-Agent, no "Expect:", and redirects never followed.
//
// A reply returns normally only when its status is 2xx and it carries no Location header.
// Everything else raises: EHttpProtocolError with "<code> <reason>" from the status line
// ("404 Not Found", "302 Found"; the reason as ServerText makes it fit for a status line),
// or Exception with the connection error's text. So does a reply body over MaxReplyBytes, a
// request past its deadline, and a request the thread's stop ended (RequestStop.h).
//
// Where a host name leads is the simulated machine's business (hosts.txt): the URL and the
// Host header stay as written while the connection goes to the mapped address.
#include "AnsiString.h"
#include "SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <string>

class EHttpProtocolError : public Exception {
public:
    EHttpProtocolError(int code, AnsiString message) : Exception(std::move(message)), ErrorCode(code) {}
    int ErrorCode;
};

// Connect time-out in real time; on the program's clock the stall rule (abort when fewer than
// `lowSpeedLimit` bytes per second arrive over `lowSpeedTimeS` seconds) and the deadline of
// the whole request: `deadlineBaseMs` plus `deadlineMsPerKB` for each KB the
// request is expected to move (a poor dial-up line's pace), so a server that drips its reply
// fast enough for the stall rule is still given up. New clients take the defaults in force.
struct HttpTimeouts {
    long connectTimeoutMs = 30000;
    long lowSpeedLimit = 1;
    long lowSpeedTimeS = 60;
    long deadlineBaseMs = 30000;
    long deadlineMsPerKB = 500;
};
void SetDefaultHttpTimeouts(const HttpTimeouts& t);  // tests shorten them
HttpTimeouts DefaultHttpTimeouts();
// The deadline, in ms from the request's start, of a request expected to move `bytes`.
int64_t HttpDeadlineMs(const HttpTimeouts& t, std::size_t bytes);

// Loads and prepares the transfer library unless done (platform/HttpLibrary.h); each request
// does it first, so a program loads it only when it makes one. Raises Exception when the
// library cannot be loaded: the request fails with that text like any connection error.
void HttpGlobalInit();
// The transfer library to load: "libcurl.so.4" unless a test names another (a missing one,
// one without the entry points). Takes effect at the next load that has not succeeded.
void SetHttpLibraryName(const std::string& soname);
std::string HttpLibraryName();

class THttpClient {
public:
    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    // The reply body replaces `body` only when the request succeeded.
    void Get(const AnsiString& url, std::string& body);
    void Post(const AnsiString& url, const std::string& requestBody, std::string& body);

    // Status of the last reply, -1 before one arrived.
    int ResponseCode() const { return responseCode_; }
    // The last status line without its protocol version ("200 OK").
    AnsiString ResponseText() const { return responseText_; }

    AnsiString ContentType;  // request content type for posts
    HttpTimeouts Timeouts;   // from the defaults at construction
    // The longest reply body taken, and what the request is expected to receive (a posted
    // body counts on top), which sets its deadline. The provider's small replies by default.
    std::size_t MaxReplyBytes = 64 * 1024;
    std::size_t ExpectedBytes = 16 * 1024;

private:
    void perform(const AnsiString& url, const std::string* requestBody, std::string& body);

    int responseCode_ = -1;
    AnsiString responseText_;
};
