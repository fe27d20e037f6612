#pragma once
// Lets one thread end the network requests another thread runs (the engine's shutdown ends
// the connected sequence's this way). A thread opens a scope of a stop; the HTTP and POP3
// requests it then makes watch that stop: once stopped, the one in flight ends at once and
// every later one fails before it connects, each raising Exception(kRequestStoppedText)
// through its caller's usual error path.
#include "AnsiString.h"

#include <atomic>

extern const char* const kRequestStoppedText;

class TRequestStop {
public:
    TRequestStop();
    ~TRequestStop();
    TRequestStop(const TRequestStop&) = delete;
    TRequestStop& operator=(const TRequestStop&) = delete;

    // Any thread; idempotent.
    void Stop();
    bool Stopped() const { return stopped_.load(); }
    // Readable from the moment it is stopped on (never drained), for a wait to watch; -1
    // when none could be made, and waits then look at Stopped() between their blocks.
    int Fd() const { return fd_; }

private:
    std::atomic<bool> stopped_{false};
    int fd_ = -1;
};

// The stop of the requests the calling thread makes while the scope is open (scopes nest).
class TRequestStopScope {
public:
    explicit TRequestStopScope(TRequestStop& stop);
    ~TRequestStopScope();
    TRequestStopScope(const TRequestStopScope&) = delete;
    TRequestStopScope& operator=(const TRequestStopScope&) = delete;

private:
    TRequestStop* outer_;
};

// The calling thread's stop, or null.
TRequestStop* CurrentRequestStop();
