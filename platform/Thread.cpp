#include "Thread.h"

#include "Machine.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The threads running. Never destroyed: a thread that frees itself may end while the
// statics of its process (or of the library holding this copy of the layer) go.
struct Count {
    std::mutex mutex;
    std::condition_variable changed;
    int running = 0;
};
Count& count() {
    static Count* c = new Count;
    return *c;
}

// A machine with a "no-threads" file has no thread left to give (tests).
bool machineGivesNoThread() {
    struct stat st {};
    return stat(MachineFile("no-threads").c_str(), &st) == 0;
}

// Made with the first thread, so it goes before the statics made earlier: as this copy of
// the layer ends (its process, or the library holding it), it first takes the count's lock,
// which orders everything its ended threads did before what the statics' ends do.
struct AfterTheThreads {
    ~AfterTheThreads() { std::lock_guard lock(count().mutex); }
};

void countStarted() {
    static AfterTheThreads ordered;
    std::lock_guard lock(count().mutex);
    ++count().running;
}

void countEnded() {
    std::lock_guard lock(count().mutex);
    --count().running;
    count().changed.notify_all();
}

// Nice steps from the process's own value, highest priority last.
int niceOffset(TThreadPriority p) {
    switch (p) {
    case tpIdle: return 19;
    case tpLowest: return 2;
    case tpLower: return 1;
    case tpNormal: return 0;
    case tpHigher: return -1;
    case tpHighest: return -2;
    case tpTimeCritical: return -20;
    }
    return 0;
}
}  // namespace

TThread::TThread(bool createSuspended) : suspended_(createSuspended) {}

TThread::~TThread() {
    bool wait;
    {
        std::lock_guard lock(mutex_);
        wait = started_ && !FreeOnTerminate;
        terminated_ = true;
    }
    if (wait) WaitFor();
}

void TThread::AfterConstruction() {
    if (!suspended_) Start();
}

void TThread::Start() {
    {
        std::lock_guard lock(mutex_);
        if (started_) return;
        started_ = true;
    }
    countStarted();
    int err = EAGAIN;
    pthread_attr_t attr;
    if (!machineGivesNoThread() && pthread_attr_init(&attr) == 0) {
        pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
        pthread_t id;
        err = pthread_create(&id, &attr, &TThread::run, this);
        pthread_attr_destroy(&attr);
    }
    if (err == 0) return;
    {
        std::lock_guard lock(mutex_);
        started_ = false;
    }
    countEnded();
    throw EThread(AnsiString("Thread creation error: ") + std::strerror(err));
}

void* TThread::run(void* self) {
    auto* thread = static_cast<TThread*>(self);
    {
        std::lock_guard lock(thread->mutex_);
        thread->tid_ = gettid();
    }
    thread->applyPriority();
    try {
        thread->Execute();
    } catch (...) {
        // The class library keeps it as the thread's fatal exception; nobody reads it here.
    }
    bool freeIt;
    {
        std::lock_guard lock(thread->mutex_);
        freeIt = thread->FreeOnTerminate;
    }
    if (freeIt) {
        delete thread;
        countEnded();
    } else {
        // Counted out first, so whoever WaitFor releases sees it gone.
        countEnded();
        std::lock_guard lock(thread->mutex_);
        thread->finished_ = true;
        // Under the lock: a waiter may free the object as soon as it is released.
        thread->done_.notify_all();
    }
    return nullptr;
}

void TThread::applyPriority() {
    long tid;
    TThreadPriority priority;
    {
        std::lock_guard lock(mutex_);
        tid = tid_;
        priority = priority_;
    }
    if (tid == 0) return;
    errno = 0;
    int base = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    if (base == -1 && errno != 0) return;
    int target = std::clamp(base + niceOffset(priority), -20, 19);
    // Refused without the privilege to raise a priority: the thread stays at the process's.
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), target);
}

void TThread::SetPriority(TThreadPriority priority) {
    bool running;
    {
        std::lock_guard lock(mutex_);
        priority_ = priority;
        running = tid_ != 0 && !finished_;
    }
    if (running) applyPriority();
}

void TThread::Terminate() {
    std::lock_guard lock(mutex_);
    terminated_ = true;
}

bool TThread::Terminated() const {
    std::lock_guard lock(mutex_);
    return terminated_;
}

void TThread::WaitFor() {
    std::unique_lock lock(mutex_);
    if (FreeOnTerminate) return;  // the object is not ours to wait on
    done_.wait(lock, [this] { return finished_ || !started_; });
}

void TThread::NameThreadForDebugging(const AnsiString& name) {
    pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
}

int RunningThreadCount() {
    std::lock_guard lock(count().mutex);
    return count().running;
}

bool WaitForRunningThreads(int timeoutMs) {
    std::unique_lock lock(count().mutex);
    return count().changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return count().running == 0; });
}
