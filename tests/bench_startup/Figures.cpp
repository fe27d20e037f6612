#include "Figures.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <time.h>
#include <unistd.h>

#if defined(__x86_64__)
#include <x86intrin.h>
#endif

namespace {
double at(const std::vector<double>& sorted, double q) {
    double pos = q * static_cast<double>(sorted.size() - 1);
    auto lo = static_cast<std::size_t>(pos);
    std::size_t hi = std::min(lo + 1, sorted.size() - 1);
    return sorted[lo] + (sorted[hi] - sorted[lo]) * (pos - static_cast<double>(lo));
}

// The number after `label` in `line`, or -1.
double after(const std::string& line, const std::string& label) {
    std::size_t at = line.find(label);
    if (at == std::string::npos) return -1;
    return std::strtod(line.c_str() + at + label.size(), nullptr);
}

std::string baseName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Calls `each(header fields, path, block lines)` for every mapping of an smaps text.
template <class F>
void forEachMapping(const std::string& smaps, F each) {
    std::istringstream in(smaps);
    std::string line, perms, path;
    bool open = false;
    long rss = 0;
    auto flush = [&] {
        if (open) each(perms, path, rss);
    };
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::string first;
        f >> first;
        if (first.find('-') != std::string::npos && first.back() != ':') {
            flush();
            std::string offset, dev, inode;
            f >> perms >> offset >> dev >> inode;
            std::getline(f, path);
            path.erase(0, std::min(path.find_first_not_of(' '), path.size()));
            open = true;
            rss = 0;
        } else if (first == "Rss:") {
            f >> rss;
        }
    }
    flush();
}
}  // namespace

Spread SpreadOf(std::vector<double> s) {
    Spread r;
    if (s.empty()) return r;
    std::sort(s.begin(), s.end());
    r.min = s.front();
    r.q1 = at(s, 0.25);
    r.median = at(s, 0.5);
    r.q3 = at(s, 0.75);
    r.max = s.back();
    return r;
}

LoaderFigures ParseLoaderStatistics(const std::string& output) {
    // A program started by the measured one would add blocks of its own; the first is ours.
    LoaderFigures f;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        double v;
        if ((v = after(line, "total startup time in dynamic loader:")) >= 0) {
            if (f.found) break;
            f.found = true;
            f.totalCycles = v;
        } else if ((v = after(line, "time needed for relocation:")) >= 0) {
            f.relocationCycles = v;
        } else if ((v = after(line, "time needed to load objects:")) >= 0) {
            f.loadCycles = v;
        } else if ((v = after(line, "number of relocations from cache:")) >= 0) {
            f.fromCache = static_cast<long>(v);
        } else if ((v = after(line, "number of relative relocations:")) >= 0) {
            f.relative = static_cast<long>(v);
        } else if ((v = after(line, "number of relocations:")) >= 0) {
            f.relocations = static_cast<long>(v);
        }
    }
    return f;
}

double CyclesPerMs() {
#if defined(__x86_64__)
    auto now = [] {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
    };
    double t0 = now();
    unsigned long long c0 = __rdtsc();
    usleep(50000);
    double t1 = now();
    unsigned long long c1 = __rdtsc();
    return static_cast<double>(c1 - c0) / (t1 - t0);
#else
    return 0;
#endif
}

std::map<std::string, long> ResidentByMapping(const std::string& smaps) {
    std::map<std::string, long> out;
    forEachMapping(smaps, [&](const std::string&, const std::string& path, long rss) {
        std::string name = path.empty() ? "[anonymous]" : path[0] == '[' ? path : baseName(path);
        out[name] += rss;
    });
    return out;
}

std::set<std::string> MappedObjects(const std::string& smaps) {
    std::set<std::string> out;
    forEachMapping(smaps, [&](const std::string& perms, const std::string& path, long) {
        if (!path.empty() && path[0] == '/' && perms.find('x') != std::string::npos) out.insert(baseName(path));
    });
    return out;
}
