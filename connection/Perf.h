#pragma once
// The speed of the dial-up connection just made, in bits per second (0 = unknown). Windows
// offers it two unrelated ways, so the reader is chosen by the platform: the dial-up
// adapter's performance counter on Windows 9x, the connection's statistics on Windows
// 2000/XP; other versions get none. One object serves one reading.
#include "platform/RasApi.h"
#include "settings/Services.h"

#include <memory>

class TPerf95;
class TPerf2K;

class TPerf {
public:
    // Chooses and starts a reader. The Windows 2000/XP reader uses the status log.
    explicit TPerf(const TServices& services);
    // Stops the Windows 9x counter, then releases the Windows 2000/XP reader.
    ~TPerf();
    TPerf(const TPerf&) = delete;
    TPerf& operator=(const TPerf&) = delete;

    // `connection` is used by the Windows 2000/XP reader only.
    DWORD GetSpeed(HRASCONN connection);

private:
    bool InitWin95();
    bool InitWin2K(const TServices& services);

    std::unique_ptr<TPerf95> perf95_;
    std::unique_ptr<TPerf2K> perf2K_;
    bool ok_ = false;
};
