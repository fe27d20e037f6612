#include "StartupReport.h"

#include <cstdio>
#include <cstdlib>
#include <time.h>

bool StartupReportWanted() {
    const char* v = std::getenv("VYN_REPORT_PAINTS");
    return v && *v;
}

void ReportStartup(const std::string& what) {
    if (!StartupReportWanted()) return;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    // One write per line: the reader may be timing it.
    std::printf("%s %lld.%03ld\n", what.c_str(), static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000,
                (ts.tv_nsec / 1000) % 1000);
    std::fflush(stdout);
}
