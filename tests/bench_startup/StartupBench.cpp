// Start-up of dist/Mirvane.exe against a minimal Qt widget program, on the same machine and
// display (offscreen): the time from just before the process is spawned to its first
// painted main window, and the peak resident memory (VmHWM) at that moment. Each Mirvane
// run gets a fresh simulated machine (one modem, the dial-up service, its first showing's
// question answered "no"), so it is a first start: the phonebook entry, the registry and
// the ini are made then. One warm-up run of each, then the medians of the runs.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;

namespace {
struct Sample {
    double ms = 0;    // spawn to first paint
    long hwmKb = 0;   // peak resident set then
};

double monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

long peakKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

// Runs `program`, waits (at most 30 s) for a line "painted <form> <ms>", measures, kills.
Sample run(const std::string& program, const std::vector<std::string>& env, const std::string& form) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
    envStrings.insert(envStrings.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string prog = program;
    char* argv[] = {prog.data(), nullptr};
    pid_t pid;
    double t0 = monotonicMs();
    if (posix_spawn(&pid, prog.c_str(), &actions, nullptr, argv, envp.data()) != 0) {
        std::perror("spawn");
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    Sample s;
    std::string buffer, wanted = "painted " + form + " ";
    char chunk[512];
    double deadline = t0 + 30000;
    while (monotonicMs() < deadline) {
        ssize_t n = read(out[0], chunk, sizeof chunk);
        if (n <= 0) break;
        buffer.append(chunk, static_cast<std::size_t>(n));
        std::size_t at = buffer.find(wanted);
        if (at != std::string::npos && buffer.find('\n', at) != std::string::npos) {
            s.ms = std::strtod(buffer.c_str() + at + wanted.size(), nullptr) - t0;
            s.hwmKb = peakKb(pid);
            break;
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(out[0]);
    if (s.hwmKb == 0) {
        std::fprintf(stderr, "%s: no first paint seen\n", program.c_str());
        std::exit(1);
    }
    return s;
}

std::string freshMachine() {
    std::string dir = (fs::temp_directory_path() / "vyn-bench-XXXXXX").string();
    if (!mkdtemp(dir.data())) std::exit(1);
    fs::path prog = fs::path(dir) / "Program Files" / "Vyn";
    fs::create_directories(prog);
    for (const char* f : {"Mirvane.exe", "RASAPI32.DLL", "tels"}) fs::copy_file(fs::path(VYN_DIST_DIR) / f, prog / f);
    std::ofstream(dir + "/devices.txt") << "modem\tModem Padr\xC3\xA3o 56K\n";
    std::ofstream(dir + "/message-answers.txt") << "7\n";
    std::ofstream(dir + "/no-desktop");
    std::ofstream(dir + "/sound.txt") << "off\n";
    return dir;
}

Sample median(std::vector<Sample> v) {
    std::sort(v.begin(), v.end(), [](auto& a, auto& b) { return a.ms < b.ms; });
    Sample m;
    m.ms = v[v.size() / 2].ms;
    std::sort(v.begin(), v.end(), [](auto& a, auto& b) { return a.hwmKb < b.hwmKb; });
    m.hwmKb = v[v.size() / 2].hwmKb;
    return m;
}
} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::vector<std::string> common = {"QT_QPA_PLATFORM=offscreen", "VYN_REPORT_PAINTS=1"};
    std::vector<Sample> mirvane, minimal;
    for (int i = 0; i <= runs; ++i) {
        std::string machine = freshMachine();
        std::vector<std::string> env = common;
        env.push_back("VYN_MACHINE_DIR=" + machine);
        Sample a = run(machine + "/Program Files/Vyn/Mirvane.exe", env, "MainForm");
        Sample b = run(MINIMAL_WIDGET, common, "Minimal");
        fs::remove_all(machine);
        if (i == 0) continue;  // warm-up
        mirvane.push_back(a);
        minimal.push_back(b);
        std::printf("run %2d: Mirvane %7.1f ms %7ld kB   minimal %7.1f ms %7ld kB\n", i, a.ms, a.hwmKb, b.ms, b.hwmKb);
    }
    Sample a = median(mirvane), b = median(minimal);
    std::printf("\nmedian of %d runs (offscreen)\n", runs);
    std::printf("  start to first painted window: Mirvane %.1f ms, minimal Qt widget %.1f ms, ratio %.2f\n", a.ms,
                b.ms, a.ms / b.ms);
    std::printf("  peak resident memory:          Mirvane %ld kB, minimal Qt widget %ld kB, ratio %.2f\n", a.hwmKb,
                b.hwmKb, double(a.hwmKb) / double(b.hwmKb));
    return 0;
}
