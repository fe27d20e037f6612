#include "FileTimes.h"

#include <ctime>
#include <stdexcept>
#include <sys/time.h>

void SetFileModified(const std::string& nativePath, TDateTime localTime) {
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(localTime, y, mo, d, h, mi, s, ms);
    struct tm tm {};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    timeval tv[2];
    tv[0].tv_sec = tv[1].tv_sec = mktime(&tm);
    tv[0].tv_usec = tv[1].tv_usec = ms * 1000;
    if (utimes(nativePath.c_str(), tv) != 0) throw std::runtime_error("utimes failed: " + nativePath);
}
