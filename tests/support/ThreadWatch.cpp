#include "ThreadWatch.h"

#include <cerrno>
#include <cstdlib>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {
// A pidfd for one thread rather than its whole process (the kernel's PIDFD_THREAD).
constexpr unsigned kPidfdThread = O_EXCL;

std::set<pid_t> readTasks() {
    std::set<pid_t> out;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') out.insert(static_cast<pid_t>(std::atoi(e->d_name)));
        closedir(d);
    }
    return out;
}

// A thread that ends while the list is read can make the kernel skip another: the list
// counts once two readings agree.
std::set<pid_t> tasks() {
    std::set<pid_t> last = readTasks();
    for (;;) {
        std::set<pid_t> now = readTasks();
        if (now == last) return now;
        last = std::move(now);
    }
}

// Waits for one thread's end; false when it still runs at the deadline.
bool waitForEnd(pid_t tid, std::chrono::steady_clock::time_point deadline) {
    std::string entry = "/proc/self/task/" + std::to_string(tid);
    int fd = static_cast<int>(syscall(SYS_pidfd_open, tid, kPidfdThread));
    if (fd < 0 && errno == ESRCH) return true;
    bool ended = false;
    while (!ended) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (fd >= 0) {
            pollfd p{fd, POLLIN, 0};
            ended = poll(&p, 1, static_cast<int>(left.count())) > 0;
        } else {
            // A kernel without thread pidfds: look again shortly.
            ended = access(entry.c_str(), F_OK) != 0;
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (fd >= 0) close(fd);
    return ended;
}
}  // namespace

ThreadWatch::ThreadWatch() {
    std::thread([] {}).join();
    before_ = tasks();
}

std::vector<pid_t> ThreadWatch::Started() const {
    std::vector<pid_t> out;
    for (pid_t t : tasks())
        if (!before_.count(t)) out.push_back(t);
    return out;
}

bool ThreadWatch::WaitUntilEnded(int timeoutMs) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::vector<pid_t> running = Started();
        if (running.empty()) return true;
        for (pid_t t : running)
            if (!waitForEnd(t, deadline)) return false;
    }
}

std::string ThreadNameOf(pid_t tid) {
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}
