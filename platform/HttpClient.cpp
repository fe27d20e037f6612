#include "HttpClient.h"

#include "Clock.h"
#include "ClockWake.h"
#include "HostMap.h"
#include "HttpLibraryCalls.h"
#include "RequestStop.h"
#include "ServerText.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <string_view>

namespace {
std::mutex gTimeoutsMutex;
HttpTimeouts gTimeouts;

// Longest single block of a wait for the transfer: the stop and the clock are looked at
// again at least this often even where no descriptor can tell of them.
constexpr int kPollMaxMs = 1000;

// Why a callback refused to go on. The callbacks run inside the transfer library's C frames:
// nothing may be thrown through them, so they say why here and return a short count.
enum class Refusal { None, TooLarge, NoMemory };

// What the header callback learns about the reply in progress. Interim 1xx replies are
// skipped; each final status line starts the record afresh.
struct ReplyState {
    int code = -1;
    std::string statusText;
    bool hasLocation = false;
    std::string body;
    std::size_t maxBody = 0;
    Refusal refusal = Refusal::None;
    std::size_t received = 0;  // header and body bytes so far, for the stall rule
};

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto* st = static_cast<ReplyState*>(user);
    std::size_t n = size * count;
    st->received += n;
    try {
        std::string_view line(data, n);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        if (StartsText("HTTP/", line)) {
            auto sp = line.find(' ');
            std::string_view rest = sp == std::string_view::npos ? std::string_view() : line.substr(sp + 1);
            int code = 0;
            for (std::size_t i = 0; i < 3 && i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i)
                code = code * 10 + (rest[i] - '0');
            if (code >= 100 && code < 200) return n;
            // "HTTP/1.1 500 " (an empty reason) is common: no blank is left at the end.
            while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
            st->code = code;
            st->statusText = ServerText(rest);
            st->hasLocation = false;
        } else if (StartsText("Location:", line)) {
            st->hasLocation = true;
        }
        return n;
    } catch (...) {
        st->refusal = Refusal::NoMemory;
        return 0;
    }
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) noexcept {
    auto* st = static_cast<ReplyState*>(user);
    std::size_t n = size * count;
    st->received += n;
    if (n > st->maxBody - std::min(st->maxBody, st->body.size())) {
        st->refusal = Refusal::TooLarge;
        return 0;
    }
    try {
        st->body.append(data, n);
    } catch (...) {
        st->refusal = Refusal::NoMemory;
        return 0;
    }
    return n;
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
struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};

// How a transfer ended: the library finished it (with its own result), the caller's stop or
// the deadline ended it, or the library's driver failed.
enum class Ending { Finished, Stopped, Deadline, TooSlow, Failed };

// The stall rule: fewer than `limit` bytes a second over a whole window of `windowMs` ends the
// transfer. Watched on the program's clock, as the deadline is.
struct StallRule {
    long limit;
    int64_t windowMs;
    const std::size_t& received;
};

// Drives one transfer to its end, watching the stop and the deadline on the program's clock
// between the library's steps. The easy handle is back out of the multi handle on return.
Ending drive(CURLM* multi, CURL* c, Clock& clock, int64_t deadline, const StallRule& stall, TRequestStop* stop,
             CURLcode& result) {
    if (curl_multi_add_handle(multi, c) != CURLM_OK) return Ending::Failed;
    TClockWake wake(clock, deadline);
    Ending ending = Ending::Failed;
    int64_t windowStart = clock.MonotonicMs();
    std::size_t windowBytes = stall.received;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) break;
        if (running == 0) {
            int left = 0;
            while (CURLMsg* m = curl_multi_info_read(multi, &left))
                if (m->msg == CURLMSG_DONE) result = m->data.result;
            ending = Ending::Finished;
            break;
        }
        int64_t wait = clock.RealWaitMs(deadline);
        int timeout = wait == Clock::kUntilWoken ? kPollMaxMs : static_cast<int>(std::min<int64_t>(wait, kPollMaxMs));
        curl_waitfd extra[2] = {};
        unsigned count = 0;
        if (stop && stop->Fd() >= 0) extra[count++] = {stop->Fd(), CURL_WAIT_POLLIN, 0};
        if (wake.fd() >= 0) extra[count++] = {wake.fd(), CURL_WAIT_POLLIN, 0};
        if (curl_multi_poll(multi, extra, count, timeout, nullptr) != CURLM_OK) break;
        wake.drain();
        // Looked at before anything that came meanwhile is taken in.
        if (stop && stop->Stopped()) {
            ending = Ending::Stopped;
            break;
        }
        int64_t now = clock.MonotonicMs();
        if (now >= deadline) {
            ending = Ending::Deadline;
            break;
        }
        if (stall.windowMs > 0 && now - windowStart >= stall.windowMs) {
            auto wanted = static_cast<std::size_t>(stall.limit * (stall.windowMs / 1000));
            if (stall.received - windowBytes < wanted) {
                ending = Ending::TooSlow;
                break;
            }
            windowStart = now;
            windowBytes = stall.received;
        }
    }
    curl_multi_remove_handle(multi, c);
    return ending;
}

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
}  // namespace

void SetDefaultHttpTimeouts(const HttpTimeouts& t) {
    std::lock_guard lock(gTimeoutsMutex);
    gTimeouts = t;
}

HttpTimeouts DefaultHttpTimeouts() {
    std::lock_guard lock(gTimeoutsMutex);
    return gTimeouts;
}

void HttpGlobalInit() { LoadHttpLibrary(); }

THttpClient::THttpClient() : Timeouts(DefaultHttpTimeouts()) {}

THttpClient::~THttpClient() = default;

void THttpClient::Get(const AnsiString& url, std::string& body) { perform(url, nullptr, body); }

void THttpClient::Post(const AnsiString& url, const std::string& requestBody, std::string& body) {
    perform(url, &requestBody, body);
}

int64_t HttpDeadlineMs(const HttpTimeouts& t, std::size_t bytes) {
    return t.deadlineBaseMs + t.deadlineMsPerKB * static_cast<int64_t>((bytes + 1023) / 1024);
}

void THttpClient::perform(const AnsiString& url, const std::string* requestBody, std::string& body) {
    responseCode_ = -1;
    responseText_.clear();
    TRequestStop* stop = CurrentRequestStop();
    if (stop && stop->Stopped()) throw Exception(kRequestStoppedText);
    HttpGlobalInit();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) throw Exception("Out of memory while creating the HTTP client.");
    CURL* c = curl.get();
    char error[CURL_ERROR_SIZE] = "";
    ReplyState reply;
    reply.maxBody = MaxReplyBytes;

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
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &reply);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &reply);
    if (requestBody) {
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, requestBody->data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody->size()));
    }

    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi) throw Exception("Out of memory while creating the HTTP client.");
    Clock& clock = CurrentClock();
    int64_t budget = HttpDeadlineMs(Timeouts, ExpectedBytes + (requestBody ? requestBody->size() : 0));
    CURLcode rc = CURLE_OK;
    StallRule stall{Timeouts.lowSpeedLimit, int64_t{Timeouts.lowSpeedTimeS} * 1000, reply.received};
    Ending ending = drive(multi.get(), c, clock, clock.MonotonicMs() + budget, stall, stop, rc);
    responseCode_ = reply.code;
    responseText_ = reply.statusText;
    switch (ending) {
    case Ending::Finished: break;
    case Ending::Stopped: throw Exception(kRequestStoppedText);
    case Ending::Deadline:
        throw Exception(Format("Operation timed out after %lld milliseconds.", static_cast<long long>(budget)));
    case Ending::TooSlow:
        throw Exception(Format("Operation too slow. Less than %ld bytes/sec transferred the last %ld seconds.",
                               Timeouts.lowSpeedLimit, Timeouts.lowSpeedTimeS));
    case Ending::Failed: throw Exception("The transfer could not be driven.");
    }
    if (reply.refusal == Refusal::TooLarge) throw Exception(Format("Reply larger than %zu bytes.", MaxReplyBytes));
    if (reply.refusal == Refusal::NoMemory) throw Exception("Out of memory while receiving the reply.");
    if (rc != CURLE_OK) throw Exception(ServerText(error[0] ? error : curl_easy_strerror(rc)));
    if (reply.code < 200 || reply.code > 299 || reply.hasLocation)
        throw EHttpProtocolError(reply.code, reply.statusText);
    body.swap(reply.body);
}
