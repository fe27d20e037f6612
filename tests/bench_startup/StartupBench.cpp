// Start-up of a program of build/dist against the bare Qt widget program built beside this
// bench, on the same machine and display (offscreen), in interleaved runs: the time from just
// before the process is spawned to the first paint of one of its windows, and the peak resident
// memory (VmHWM) at that moment, each as the spread of the per-run ratio (time) and
// difference (memory) against the bare program's run next to it.
//
//     bench_startup [--runs N] [--breakdown] [--form NAME] [PROGRAM ...]
//
// PROGRAM is a file name in build/dist (Mirvane.exe and Brenwick.exe when none is given); each
// is measured in turn, up to the first paint of any of its forms, or of the one --form names. Each run gets a fresh
// simulated machine (one modem, the dial-up service, the tels list, its first showing's question answered "no"), so
// it is a first start: the phonebook entry, the registry and the ini are made then. --breakdown adds where the time
// and the memory go: the start-up marks (platform/StartupReport.h), the dynamic loader's own statistics
// (LD_DEBUG=statistics, separate runs), the objects mapped and the resident memory of each mapping at the first
// paint.
#include "Figures.h"
#include "Spawn.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {
struct Options {
    int runs = 15;
    bool breakdown = false;
    std::string form;  // empty: whichever window is painted first
    std::vector<std::string> programs;
};

const std::vector<std::string> kOffscreen = {"QT_QPA_PLATFORM=offscreen", "VYN_REPORT_PAINTS=1"};

std::string freshMachine(const std::string& program) {
    std::string dir = (fs::temp_directory_path() / "vyn-bench-XXXXXX").string();
    if (!mkdtemp(dir.data())) std::exit(1);
    fs::path prog = fs::path(dir) / "Program Files" / "Vyn";
    fs::create_directories(prog);
    for (const std::string& f : {program, std::string("RASAPI32.DLL"), std::string("tels")})
        fs::copy_file(fs::path(VYN_DIST_DIR) / f, prog / f);
    std::ofstream(dir + "/devices.txt") << "modem\tModem Padr\xC3\xA3o 56K\n";
    std::ofstream(dir + "/message-answers.txt") << "7\n";
    std::ofstream(dir + "/no-desktop");
    std::ofstream(dir + "/sound.txt") << "off\n";
    return dir;
}

double loadAverage() {
    double one = -1;
    std::ifstream("/proc/loadavg") >> one;
    return one;
}

// A pair of starts, the program's and the bare one's, in the order given.
struct Pair {
    StartResult program, bare;
};

Pair startBoth(const StartSpec& p, const StartSpec& b, bool programFirst) {
    Pair r;
    if (programFirst) r.program = StartToFirstPaint(p);
    r.bare = StartToFirstPaint(b);
    if (!programFirst) r.program = StartToFirstPaint(p);
    return r;
}

Pair startPair(const Options& o, const std::string& program, bool programFirst, bool keepMap, bool loaderStatistics) {
    std::string machine = freshMachine(program);
    StartSpec p{machine + "/Program Files/Vyn/" + program, o.form, kOffscreen, keepMap, loaderStatistics};
    p.env.push_back("VYN_MACHINE_DIR=" + machine);
    Pair r = startBoth(p, {MINIMAL_WIDGET, "Minimal", kOffscreen, keepMap, loaderStatistics}, programFirst);
    fs::remove_all(machine);
    return r;
}

// The bare program writing a line of text (as `program`) and without (as `bare`).
Pair textPair(bool textFirst) {
    std::vector<std::string> env = kOffscreen;
    env.push_back("VYN_BENCH_TEXT=1");
    return startBoth({MINIMAL_WIDGET, "Minimal", env}, {MINIMAL_WIDGET, "Minimal", kOffscreen}, textFirst);
}

void printSpread(const char* label, const Spread& s, const char* format) {
    std::printf("  %-26s", label);
    for (double v : {s.min, s.q1, s.median, s.q3, s.max}) std::printf(format, v);
    std::printf("\n");
}

template <class F>
std::vector<double> each(const std::vector<Pair>& pairs, F f) {
    std::vector<double> out;
    for (const Pair& p : pairs) out.push_back(f(p));
    return out;
}

constexpr double kKbPerMiB = 1024.0;

void reportFigures(const std::string& program, const std::vector<Pair>& pairs) {
    std::printf(
        "\n%zu interleaved runs each, spawn to first paint (%s, in the last run) and peak resident memory then\n",
        pairs.size(), pairs.back().program.window.c_str());
    std::printf("  %-26s%9s%9s%9s%9s%9s\n", "", "min", "q1", "median", "q3", "max");
    std::printf(" first paint (ms)\n");
    printSpread(program.c_str(), SpreadOf(each(pairs, [](auto& p) { return p.program.paintMs; })), "%9.1f");
    printSpread("bare Qt program", SpreadOf(each(pairs, [](auto& p) { return p.bare.paintMs; })), "%9.1f");
    Spread ratio = SpreadOf(each(pairs, [](auto& p) { return p.program.paintMs / p.bare.paintMs; }));
    printSpread("ratio, run by run", ratio, "%9.2f");
    std::printf(" CPU time to first paint, all threads (ms; a busy machine inflates it least)\n");
    printSpread(program.c_str(), SpreadOf(each(pairs, [](auto& p) { return p.program.cpuMs; })), "%9.1f");
    printSpread("bare Qt program", SpreadOf(each(pairs, [](auto& p) { return p.bare.cpuMs; })), "%9.1f");
    printSpread("ratio, run by run", SpreadOf(each(pairs, [](auto& p) { return p.program.cpuMs / p.bare.cpuMs; })),
                "%9.2f");
    std::printf(" peak memory (MiB)\n");
    printSpread(program.c_str(), SpreadOf(each(pairs, [](auto& p) { return p.program.peakKb / kKbPerMiB; })),
                "%9.1f");
    printSpread("bare Qt program", SpreadOf(each(pairs, [](auto& p) { return p.bare.peakKb / kKbPerMiB; })), "%9.1f");
    Spread extra = SpreadOf(each(pairs, [](auto& p) { return (p.program.peakKb - p.bare.peakKb) / kKbPerMiB; }));
    printSpread("difference, run by run", extra, "%+9.1f");
    std::printf(
        "\n%s: median first-paint ratio %.2f (target at most 1.5: %s), median peak memory %+.1f MiB "
        "(target at most +10 MiB: %s)\n",
        program.c_str(), ratio.median, ratio.median <= 1.5 ? "met" : "NOT met", extra.median,
        extra.median <= 10.0 ? "met" : "NOT met");
}

// The median of a mark's time (or of the time between two marks) over the runs; NaN when a
// run lacks one of them.
double markMedian(const std::vector<StartResult>& runs, const std::string& from, const std::string& to) {
    std::vector<double> v;
    for (const StartResult& r : runs) {
        auto b = r.marks.find(to);
        auto a = r.marks.find(from);
        if (b == r.marks.end() || (!from.empty() && a == r.marks.end())) return std::nan("");
        v.push_back(b->second - (from.empty() ? 0.0 : a->second));
    }
    return SpreadOf(v).median;
}

void row(const char* label, double a, double b) { std::printf("  %-44s%10.2f%10.2f%+10.2f\n", label, a, b, a - b); }

// What one line of text adds to the bare program: the system's font configuration read and
// a first font opened, which any window showing text pays for.
void reportTextFloor(const std::string& program, const std::vector<Pair>& pairs, const std::vector<Pair>& textPairs) {
    std::vector<double> extra, programs, texts;
    for (const Pair& p : textPairs)
        extra.push_back(p.program.paintMs - p.bare.paintMs), texts.push_back(p.program.paintMs);
    for (const Pair& p : pairs) programs.push_back(p.program.paintMs);
    double text = SpreadOf(texts).median, program_ = SpreadOf(programs).median;
    std::printf(
        "\nthe bare program writing one line of text (%zu interleaved runs): first paint %.1f ms, %+.1f ms on "
        "the bare one;\n  %s against it: median ratio %.2f\n",
        textPairs.size(), text, SpreadOf(extra).median, program.c_str(), program_ / text);
}

void reportBreakdown(const std::string& program, const std::vector<Pair>& pairs,
                     const std::vector<Pair>& loaderPairs) {
    std::vector<StartResult> a, b, la, lb;
    for (const Pair& p : pairs) a.push_back(p.program), b.push_back(p.bare);
    for (const Pair& p : loaderPairs) la.push_back(p.program), lb.push_back(p.bare);
    std::string paintA = "first paint", paintB = "first paint";

    double cpm = CyclesPerMs();
    auto loader = [&](const std::vector<StartResult>& runs, double LoaderFigures::*field) {
        std::vector<double> v;
        for (const StartResult& r : runs) {
            LoaderFigures f = ParseLoaderStatistics(r.loaderOutput);
            if (f.found && cpm > 0) v.push_back(f.*field / cpm);
        }
        return v.empty() ? std::nan("") : SpreadOf(v).median;
    };
    double mainA = markMedian(a, "", "main"), mainB = markMedian(b, "", "main");
    double loadA = loader(la, &LoaderFigures::totalCycles), loadB = loader(lb, &LoaderFigures::totalCycles);

    std::printf("\nwhere the time goes: medians in ms, %s against the bare Qt program\n", program.c_str());
    std::printf("  %-44s%10s%10s%10s\n", "", program.c_str(), "bare", "more");
    row("spawn to main()", mainA, mainB);
    row("  dynamic loader: loading the objects", loader(la, &LoaderFigures::loadCycles),
        loader(lb, &LoaderFigures::loadCycles));
    row("  dynamic loader: relocation", loader(la, &LoaderFigures::relocationCycles),
        loader(lb, &LoaderFigures::relocationCycles));
    row("  exec, page faults, library initialisers", mainA - loadA, mainB - loadB);
    row("main() to Qt's application object", markMedian(a, "main", "app"), markMedian(b, "main", "app"));
    row("the program's own start: forms, services", markMedian(a, "app", "run"), markMedian(b, "app", "run"));
    row("  the main form's controls", markMedian(a, "app", "main form built"), 0);
    row("  its OnCreate: the services", markMedian(a, "main form built", "main form created"), 0);
    row("  the other forms", markMedian(a, "main form created", "forms created"), 0);
    row("first showing up to the message loop", markMedian(a, "run", "loop"), markMedian(b, "run", "loop"));
    row("message loop to the first paint", markMedian(a, "loop", paintA), markMedian(b, "loop", paintB));
    row("spawn to first paint", markMedian(a, "", paintA), markMedian(b, "", paintB));
    if (cpm <= 0) std::printf("  (the loader's cycles cannot be turned into time on this processor)\n");

    if (!la.empty()) {
        LoaderFigures fa = ParseLoaderStatistics(la.back().loaderOutput);
        LoaderFigures fb = ParseLoaderStatistics(lb.back().loaderOutput);
        std::printf(
            "  symbol relocations %ld (%ld from cache) against %ld (%ld); relative relocations %ld against %ld\n",
            fa.relocations, fa.fromCache, fb.relocations, fb.fromCache, fa.relative, fb.relative);
    }

    const StartResult& sa = pairs.back().program;
    const StartResult& sb = pairs.back().bare;
    std::set<std::string> oa = MappedObjects(sa.smaps), ob = MappedObjects(sb.smaps);
    std::printf("\nat the first paint (last run): %zu objects mapped against %zu, %d threads against %d\n", oa.size(),
                ob.size(), sa.threads, sb.threads);
    std::string only;
    for (const std::string& o : oa)
        if (!ob.count(o) && o.find(program) == std::string::npos) only += " " + o;
    std::printf("  mapped only by %s:%s\n", program.c_str(), only.empty() ? " nothing" : only.c_str());

    std::map<std::string, long> ra = ResidentByMapping(sa.smaps), rb = ResidentByMapping(sb.smaps);
    std::vector<std::pair<long, std::string>> diffs;
    long totalA = 0, totalB = 0;
    for (auto& [name, kb] : ra) totalA += kb;
    for (auto& [name, kb] : rb) totalB += kb;
    std::set<std::string> names;
    for (auto& [name, kb] : ra) names.insert(name);
    for (auto& [name, kb] : rb) names.insert(name);
    for (const std::string& n : names) diffs.emplace_back(ra[n] - rb[n], n);
    std::sort(diffs.begin(), diffs.end(), [](auto& x, auto& y) { return x.first > y.first; });
    std::printf("  resident kB by mapping, largest differences first (total %ld against %ld, %+ld)\n", totalA, totalB,
                totalA - totalB);
    for (std::size_t i = 0; i < diffs.size() && i < 16 && diffs[i].first > 0; ++i)
        std::printf("    %-36s%8ld%8ld%+8ld\n", diffs[i].second.c_str(), ra[diffs[i].second], rb[diffs[i].second],
                    diffs[i].first);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc) {
            o.runs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--breakdown") {
            o.breakdown = true;
        } else if (a == "--form" && i + 1 < argc) {
            o.form = argv[++i];
        } else if (!a.empty() && a[0] != '-') {
            o.programs.push_back(a);
        } else {
            std::fprintf(stderr, "usage: bench_startup [--runs N] [--breakdown] [--form NAME] [PROGRAM ...]\n");
            std::exit(2);
        }
    }
    if (o.programs.empty()) o.programs = {"Mirvane.exe", "Brenwick.exe"};
    return o;
}
}  // namespace

int main(int argc, char** argv) {
    Options o = parse(argc, argv);
    for (const std::string& program : o.programs) {
        if (!fs::exists(fs::path(VYN_DIST_DIR) / program)) {
            std::fprintf(stderr, "bench_startup: no %s in %s\n", program.c_str(), VYN_DIST_DIR);
            return 1;
        }
        double loadBefore = loadAverage();
        startPair(o, program, true, false, false);  // warm-up: files in the page cache
        std::vector<Pair> pairs, loaderPairs;
        for (int i = 0; i < o.runs; ++i) pairs.push_back(startPair(o, program, i % 2 == 0, o.breakdown, false));
        if (o.breakdown)
            for (int i = 0; i < std::max(5, o.runs / 2); ++i)
                loaderPairs.push_back(startPair(o, program, i % 2 == 0, false, true));
        double loadAfter = loadAverage();
        std::printf(
            "%s against the bare Qt widget program (offscreen); load average %.2f before, %.2f after, %u CPUs%s\n",
            program.c_str(), loadBefore, loadAfter, std::thread::hardware_concurrency(),
            std::max(loadBefore, loadAfter) > 1.0 ? " (busy machine: the times are inflated)" : "");
        reportFigures(program, pairs);
        if (o.breakdown) {
            std::vector<Pair> textPairs;
            for (int i = 0; i < std::max(5, o.runs / 2); ++i) textPairs.push_back(textPair(i % 2 == 0));
            reportBreakdown(program, pairs, loaderPairs);
            reportTextFloor(program, pairs, textPairs);
        }
    }
    return 0;
}
