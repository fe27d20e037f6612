#pragma once
// The Windows 2000/XP line-speed reader: the dial-up service's statistics of a connection.
#include "platform/Library.h"
#include "platform/RasApi.h"

class TPerf2K {
public:
    // Binds RasGetConnectionStatistics; logs a status line when the library lacks it.
    TPerf2K();
    ~TPerf2K();
    TPerf2K(const TPerf2K&) = delete;
    TPerf2K& operator=(const TPerf2K&) = delete;

    bool Ok() const { return ok_; }
    // The connection's speed in bits per second; 0 when the statistics cannot be read.
    DWORD GetSpeed(HRASCONN connection);

private:
    bool ok_ = false;
    PFN_RasGetConnectionStatistics getConnectionStatistics_ = nullptr;
    HMODULE library_ = nullptr;  // null once released, so it is never freed twice
};
