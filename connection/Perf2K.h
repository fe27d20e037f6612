#pragma once
// The Windows 2000/XP line-speed reader: the dial-up service's statistics of a connection.
#include "platform/RasApi.h"
#include "settings/RasLibrary.h"
#include "settings/Services.h"

class TPerf2K {
public:
    // Binds RasGetConnectionStatistics; a status line when the library lacks it.
    explicit TPerf2K(const TServices& services);
    TPerf2K(const TPerf2K&) = delete;
    TPerf2K& operator=(const TPerf2K&) = delete;

    bool Ok() const { return ok_; }
    // The connection's speed in bits per second; 0 when the statistics cannot be read.
    DWORD GetSpeed(HRASCONN connection);

private:
    bool ok_ = false;
    PFN_RasGetConnectionStatistics getConnectionStatistics_ = nullptr;
    TRasLibrary ras_;
};
