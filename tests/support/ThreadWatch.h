#pragma once
// The threads of this process as the kernel lists them (/proc/self/task): how a test sees the
// threads of code that shares nothing with it, such as a library's own copy of the platform
// layer. Needs nothing but the C library, so a bare host program can use it too.
#include <sys/types.h>

#include <set>
#include <string>
#include <vector>

class ThreadWatch {
public:
    // The threads running now are not watched. One thread is started and ended first, so a
    // helper the runtime adds with the first new thread (the thread sanitizer's) is among them.
    ThreadWatch();

    // The threads started since, by kernel id, that have not ended.
    std::vector<pid_t> Started() const;
    // Waits until every thread started since has ended, at most `timeoutMs` of real time.
    bool WaitUntilEnded(int timeoutMs) const;

private:
    std::set<pid_t> before_;
};

// The name the kernel shows for one of this process's threads ("" once it has ended).
std::string ThreadNameOf(pid_t tid);
