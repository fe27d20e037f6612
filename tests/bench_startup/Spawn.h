#pragma once
// One start of a program, watched until the first paint of a window (or of the form named): the start-up marks it
// reports on standard output (see platform/StartupReport.h), its peak resident memory at
// that moment and, when asked, its memory map and the dynamic loader's own statistics.
#include <map>
#include <string>
#include <vector>

struct StartSpec {
    std::string program;            // path
    std::string form;               // "painted <form>" ends the watch; empty: any form's
    std::vector<std::string> env;   // added to this process's environment
    bool keepMap = false;           // copy /proc/<pid>/smaps at the first paint
    bool loaderStatistics = false;  // run under LD_DEBUG=statistics
};

struct StartResult {
    double paintMs = 0;                   // spawn to first paint
    long peakKb = 0;                      // VmHWM at the first paint
    double cpuMs = 0;                     // time on a CPU by then, all threads (schedstat)
    int threads = 0;                      // at the first paint
    std::map<std::string, double> marks;  // each mark, ms after the spawn
    std::string smaps;                    // when keepMap
    std::string loaderOutput;             // when loaderStatistics
    std::string window;                   // the form painted first
};

// Starts, waits (at most 30 s) for the paint, measures, kills. Exits the bench on failure.
StartResult StartToFirstPaint(const StartSpec& plan);

double MonotonicMs();
