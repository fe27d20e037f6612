#include "HookFixture.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::ostream& operator<<(std::ostream& out, const Start& start) {
    out << start.tag << "(";
    for (auto& a : start.args) out << "[" << a << "]";
    return out << ")";
}

HookTest::HookTest() {
    fs::create_directories(machine.dir() + "/starts");
    std::string pipePath = machine.dir() + "/started.pipe";
    if (mkfifo(pipePath.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
    // Read and write: a stand-in never waits for a reader, and the test never sees an end.
    pipe_ = open(pipePath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    startFolder_ = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

HookTest::~HookTest() {
    EXPECT_TRUE(callsDone()) << "a hook thread still runs";
    for (HMODULE h : loaded_) FreeLibrary(h);
    if (startFolder_ >= 0) {
        if (fchdir(startFolder_) != 0) ADD_FAILURE() << "cannot return to the start folder";
        close(startFolder_);
    }
    if (pipe_ >= 0) close(pipe_);
}

void HookTest::writeStandIn(const std::string& path, const std::string& tag) const {
    std::string starts = machine.dir() + "/starts";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << "#!/bin/sh\n"
           "# A stand-in dialer: writes its tag and arguments, then says so through the pipe.\n"
           "d='"
        << starts
        << "'\n"
           "{ printf '%s\\n' '"
        << tag
        << "'; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$d/.$$\"\n"
           "mv \"$d/.$$\" \"$d/$$\"\n"
           "printf x 1<>'"
        << machine.dir() << "/started.pipe'\n";
    fs::permissions(path, fs::perms::owner_all);
}

std::vector<Start> HookTest::waitForStarts(std::size_t count) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (reported_ < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{pipe_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buf[64];
        ssize_t n = read(pipe_, buf, sizeof buf);
        if (n > 0) reported_ += static_cast<std::size_t>(n);
    }
    return starts();
}

std::vector<Start> HookTest::starts() const {
    std::vector<Start> out;
    for (auto& entry : fs::directory_iterator(machine.dir() + "/starts")) {
        if (entry.path().filename().string()[0] == '.') continue;
        std::ifstream in(entry.path());
        Start s;
        std::getline(in, s.tag);
        for (std::string line; std::getline(in, line);) s.args.push_back(line);
        out.push_back(s);
    }
    std::sort(out.begin(), out.end(), [](const Start& a, const Start& b) { return a.tag < b.tag; });
    return out;
}

bool HookTest::callsDone() { return threads.WaitUntilEnded(10000); }

std::size_t HookTest::threadsRunning(pid_t except) const {
    auto started = threads.Started();
    return started.size() - static_cast<std::size_t>(std::count(started.begin(), started.end(), except));
}

HMODULE HookTest::load(const char* library) {
    if (!fs::exists(machine.path(library))) machine.installLibrary(library);
    HMODULE h = LoadLibraryA(library);
    if (!h) throw std::runtime_error(std::string("cannot load ") + library);
    loaded_.push_back(h);
    return h;
}
