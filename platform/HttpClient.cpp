#include "HttpClient.h"

#include "HostMap.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace {
std::mutex gTimeoutsMutex;
HttpTimeouts gTimeouts;

// What the header callback learns about the reply in progress. Interim 1xx replies are
// skipped; each final status line starts the record afresh.
struct ReplyState {
    int code = -1;
    std::string statusText;
    bool hasLocation = false;
    std::string body;
};

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* st = static_cast<ReplyState*>(user);
    std::size_t n = size * count;
    std::string line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (StartsText("HTTP/", line)) {
        auto sp = line.find(' ');
        std::string rest = sp == std::string::npos ? std::string() : line.substr(sp + 1);
        int code = 0;
        for (std::size_t i = 0; i < 3 && i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i)
            code = code * 10 + (rest[i] - '0');
        if (code >= 100 && code < 200) return n;
        // "HTTP/1.1 500 " (an empty reason) is common: no blank is left at the end.
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
        st->code = code;
        st->statusText = rest;
        st->hasLocation = false;
    } else if (StartsText("Location:", line)) {
        st->hasLocation = true;
    }
    return n;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* st = static_cast<ReplyState*>(user);
    st->body.append(data, size * count);
    return size * count;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};

// "host:port:address:port" when the machine leads the URL's host elsewhere, else empty.
std::string connectTo(const AnsiString& url) {
    std::unique_ptr<CURLU, UrlDeleter> u(curl_url());
    if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return {};
    char* host = nullptr;
    char* port = nullptr;
    std::string result;
    if (curl_url_get(u.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK &&
        curl_url_get(u.get(), CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
        int p = std::atoi(port);
        HostTarget t = ResolveHost(Utf8ToAnsi(host), p);
        if (t.address != host || t.port != p)
            result = std::string(host) + ":" + port + ":" + t.address + ":" + std::to_string(t.port);
    }
    curl_free(host);
    curl_free(port);
    return result;
}
} // namespace

void SetDefaultHttpTimeouts(const HttpTimeouts& t) {
    std::lock_guard lock(gTimeoutsMutex);
    gTimeouts = t;
}

HttpTimeouts DefaultHttpTimeouts() {
    std::lock_guard lock(gTimeoutsMutex);
    return gTimeouts;
}

void HttpGlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

THttpClient::THttpClient() : Timeouts(DefaultHttpTimeouts()) { HttpGlobalInit(); }

THttpClient::~THttpClient() = default;

void THttpClient::Get(const AnsiString& url, std::string& body) { perform(url, nullptr, body); }

void THttpClient::Post(const AnsiString& url, const std::string& requestBody, std::string& body) {
    perform(url, &requestBody, body);
}

void THttpClient::perform(const AnsiString& url, const std::string* requestBody, std::string& body) {
    responseCode_ = -1;
    responseText_.clear();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) throw Exception("Out of memory while creating the HTTP client.");
    CURL* c = curl.get();
    char error[CURL_ERROR_SIZE] = "";
    ReplyState reply;

    curl_slist* raw = nullptr;
    raw = curl_slist_append(raw, "Accept: text/html, */*");
    raw = curl_slist_append(raw, "User-Agent: Mozilla/3.0 (compatible; Indy Library)");
    if (requestBody) {
        std::string type = "Content-Type:";
        if (!ContentType.empty()) type += " " + ContentType;
        raw = curl_slist_append(raw, type.c_str());
    }
    raw = curl_slist_append(raw, "Expect:");
    std::unique_ptr<curl_slist, SlistDeleter> headers(raw);
    std::unique_ptr<curl_slist, SlistDeleter> route;
    if (std::string to = connectTo(url); !to.empty()) route.reset(curl_slist_append(nullptr, to.c_str()));

    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(c, CURLOPT_TCP_NODELAY, 0L);
    curl_easy_setopt(c, CURLOPT_PROXY, "");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_BUFFERSIZE, 32768L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    if (route) curl_easy_setopt(c, CURLOPT_CONNECT_TO, route.get());
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, Timeouts.connectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, Timeouts.lowSpeedLimit);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, Timeouts.lowSpeedTimeS);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &reply);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &reply);
    if (requestBody) {
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, requestBody->data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody->size()));
    }

    CURLcode rc = curl_easy_perform(c);
    responseCode_ = reply.code;
    responseText_ = reply.statusText;
    if (rc != CURLE_OK) throw Exception(error[0] ? error : curl_easy_strerror(rc));
    if (reply.code < 200 || reply.code > 299 || reply.hasLocation)
        throw EHttpProtocolError(reply.code, reply.statusText);
    body.swap(reply.body);
}
