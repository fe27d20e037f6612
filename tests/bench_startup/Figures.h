#pragma once
// The figures the start-up bench reads from its runs: the spread of a set of samples, the
// dynamic loader's statistics and the resident memory of each mapping.
#include <map>
#include <set>
#include <string>
#include <vector>

struct Spread {
    double min = 0, q1 = 0, median = 0, q3 = 0, max = 0;
};
Spread SpreadOf(std::vector<double> samples);

// What LD_DEBUG=statistics prints for the program itself (the last block of the output).
struct LoaderFigures {
    bool found = false;
    double totalCycles = 0;  // the loader's start-up: loading and relocating
    double relocationCycles = 0;
    double loadCycles = 0;
    long relocations = 0;  // symbol lookups
    long fromCache = 0;
    long relative = 0;
};
LoaderFigures ParseLoaderStatistics(const std::string& output);

// The loader counts time stamp counter cycles: how many of them pass in a millisecond, found
// by watching the counter over a short sleep; 0 where the counter is not known.
double CyclesPerMs();

// Resident kB of each mapping at one moment, by name: a file's base name, or "[heap]",
// "[stack]", "[anonymous]".
std::map<std::string, long> ResidentByMapping(const std::string& smaps);
// The files mapped executable: the program and its shared objects.
std::set<std::string> MappedObjects(const std::string& smaps);
