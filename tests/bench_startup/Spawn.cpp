#include "Spawn.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;
namespace fs = std::filesystem;

namespace {
constexpr double kTimeoutMs = 30000;

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

long peakKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

int threadCount(pid_t pid) {
    int n = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec);
         !ec && it != fs::directory_iterator(); it.increment(ec))
        ++n;
    return n;
}

// What a busy machine inflates least: the time the process's threads ran, not waited to run.
double cpuMs(pid_t pid) {
    double ns = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec);
         !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::ifstream in(it->path() / "schedstat");
        double onCpu = 0;
        if (in >> onCpu) ns += onCpu;
    }
    return ns / 1e6;
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "bench_startup: %s\n", what.c_str());
    std::exit(1);
}
}  // namespace

double MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

StartResult StartToFirstPaint(const StartSpec& plan) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) fail("no pipe");
    std::string loaderFile;
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
    envStrings.insert(envStrings.end(), plan.env.begin(), plan.env.end());
    if (plan.loaderStatistics) {
        char dir[] = "/tmp/vyn-ld-XXXXXX";
        if (!mkdtemp(dir)) fail("no temporary folder");
        loaderFile = std::string(dir) + "/ld";
        envStrings.push_back("LD_DEBUG=statistics");
        envStrings.push_back("LD_DEBUG_OUTPUT=" + loaderFile);
    }
    std::vector<char*> envp;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string prog = plan.program;
    char* argv[] = {prog.data(), nullptr};
    pid_t pid;
    double t0 = MonotonicMs();
    if (posix_spawn(&pid, prog.c_str(), &actions, nullptr, argv, envp.data()) != 0) fail("cannot start " + prog);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    StartResult r;
    std::string buffer;
    bool painted = false;
    while (!painted) {
        double left = t0 + kTimeoutMs - MonotonicMs();
        pollfd p{out[0], POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left) + 1) <= 0) break;
        char chunk[512];
        ssize_t n = read(out[0], chunk, sizeof chunk);
        if (n <= 0) break;
        buffer.append(chunk, static_cast<std::size_t>(n));
        for (std::size_t end; !painted && (end = buffer.find('\n')) != std::string::npos; buffer.erase(0, end + 1)) {
            std::string line = buffer.substr(0, end);
            std::size_t sp = line.rfind(' ');
            if (sp == std::string::npos) continue;
            std::string what = line.substr(0, sp);
            char* stop = nullptr;
            double at = std::strtod(line.c_str() + sp + 1, &stop);
            if (stop == line.c_str() + sp + 1) continue;
            r.marks.emplace(what, at - t0);
            // The start makes its main form first; the last form made ends the forms.
            if (what.rfind("built ", 0) == 0) r.marks.emplace("main form built", at - t0);
            if (what.rfind("created ", 0) == 0) {
                r.marks.emplace("main form created", at - t0);
                r.marks["forms created"] = at - t0;
            }
            bool paint = what.rfind("painted ", 0) == 0;
            if (paint && (plan.form.empty() || what == "painted " + plan.form)) {
                painted = true;
                r.window = what.substr(std::strlen("painted "));
                r.marks.emplace("first paint", at - t0);
                r.paintMs = at - t0;
                r.peakKb = peakKb(pid);
                r.cpuMs = cpuMs(pid);
                r.threads = threadCount(pid);
                if (plan.keepMap) r.smaps = readWhole("/proc/" + std::to_string(pid) + "/smaps");
            }
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(out[0]);
    if (!loaderFile.empty()) {
        r.loaderOutput = readWhole(loaderFile + "." + std::to_string(pid));
        fs::remove_all(fs::path(loaderFile).parent_path());
    }
    if (!painted || r.peakKb == 0)
        fail(plan.program + ": no first paint of " + (plan.form.empty() ? "a window" : plan.form) + " seen");
    return r;
}
