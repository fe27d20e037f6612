#include "Perf2K.h"

TPerf2K::TPerf2K(const TServices& services) {
    // Without the library nothing is said; without the statistics, one status line.
    ok_ = ras_.Need(getConnectionStatistics_, "RasGetConnectionStatistics").BoundOrReport(services.Log());
}

DWORD TPerf2K::GetSpeed(HRASCONN connection) {
    if (!ok_) return 0;
    RAS_STATS stats{};
    stats.dwSize = sizeof stats;
    return getConnectionStatistics_(connection, &stats) == ERROR_SUCCESS ? stats.dwBps : 0;
}
