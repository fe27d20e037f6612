#pragma once
// The Windows 9x line-speed reader: the dial-up adapter's performance counter in
// HKEY_DYN_DATA. Reading the counter's value under "PerfStats\StartStat" starts it, under
// "PerfStats\StatData" gives its value, under "PerfStats\StopStat" stops it.
#include "platform/AnsiString.h"
#include "platform/WinTypes.h"

class TPerf95 {
public:
    // Starts the counter `description` + "\" + `counterName`.
    TPerf95(const AnsiString& description, const AnsiString& counterName);
    // Stops the counter.
    ~TPerf95();
    TPerf95(const TPerf95&) = delete;
    TPerf95& operator=(const TPerf95&) = delete;

    bool Ok() const { return ok_; }
    // The counter's value once; 0 when it is not available.
    DWORD GetValue();
    // Reads the counter's value into `value`. A failed read turns the reader off for good.
    bool ReadStat(DWORD& value);

private:
    bool ok_ = false;
    AnsiString counterValueName_;
};
