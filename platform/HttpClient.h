#pragma once
// The HTTP client the provider requests use, in place of the internet components' client.
// One client makes one request and is then released. It keeps the old client's manners on
// the wire: HTTP/1.1, Nagle on, no proxy, no compression asked for, "Accept: text/html, */*",
// its User-Agent, no "Expect:", and redirects never followed.
//
// A reply returns normally only when its status is 2xx and it carries no Location header.
// Everything else raises: EHttpProtocolError with "<code> <reason>" from the status line
// ("404 Not Found", "302 Found"), or Exception with the connection error's text.
//
// Where a host name leads is the simulated machine's business (hosts.txt): the URL and the
// Host header stay as written while the connection goes to the mapped address.
#include "AnsiString.h"
#include "SysUtils.h"

#include <string>

class EHttpProtocolError : public Exception {
public:
    EHttpProtocolError(int code, AnsiString message) : Exception(std::move(message)), ErrorCode(code) {}
    int ErrorCode;
};

// Connect time-out and the stall rule (abort when fewer than `lowSpeedLimit` bytes per second
// arrive for `lowSpeedTimeS` seconds). New clients take the defaults in force.
struct HttpTimeouts {
    long connectTimeoutMs = 30000;
    long lowSpeedLimit = 1;
    long lowSpeedTimeS = 60;
};
void SetDefaultHttpTimeouts(const HttpTimeouts& t);  // tests shorten them
HttpTimeouts DefaultHttpTimeouts();

// Prepares the transfer library; call once before threads start (clients call it too).
void HttpGlobalInit();

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

    AnsiString ContentType;   // request content type for posts
    HttpTimeouts Timeouts;    // from the defaults at construction

private:
    void perform(const AnsiString& url, const std::string* requestBody, std::string& body);

    int responseCode_ = -1;
    AnsiString responseText_;
};
