#pragma once
// The class library's thread class. A subclass puts its work in Execute; the thread starts
// once the object is fully built (NewThread calls AfterConstruction, as the class library
// does after the last constructor), unless it was created suspended. With FreeOnTerminate the
// thread deletes its own object when Execute returns, and nobody may touch the object after
// the start.
//
// Priorities follow the platform's steps around the process's own: on Linux a thread's nice
// value, one step per level (tpHigher = one below the process's). A level the user may not
// take (raising it needs privileges) leaves the thread at the process's level.
//
// On a machine with a "no-threads" file every start fails, as when the system has no thread
// left to give (tests; every copy of this layer in the process sees it).
#include "AnsiString.h"
#include "Object.h"
#include "SysUtils.h"

#include <condition_variable>
#include <mutex>
#include <utility>

// The system could not make another thread.
class EThread : public Exception {
    using Exception::Exception;
};

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread : public TObject {
public:
    explicit TThread(bool createSuspended);
    // A thread that runs and does not free itself is waited for.
    ~TThread() override;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Starts the thread unless it was created suspended; raises EThread when it cannot.
    void AfterConstruction();
    // Starts a thread created suspended (once; later calls do nothing).
    void Start();

    bool FreeOnTerminate = false;
    TThreadPriority Priority() const { return priority_; }
    // Before the start it is applied as the thread begins; afterwards at once.
    void SetPriority(TThreadPriority priority);

    void Terminate();
    bool Terminated() const;
    // Waits for the end of a thread that does not free itself.
    void WaitFor();

    // Names the calling thread for a debugger (the first 15 bytes count).
    static void NameThreadForDebugging(const AnsiString& name);

protected:
    virtual void Execute() = 0;

private:
    static void* run(void* self);
    void applyPriority();

    bool suspended_;
    bool started_ = false;
    TThreadPriority priority_ = tpNormal;
    long tid_ = 0;  // the kernel's id once running
    mutable std::mutex mutex_;
    std::condition_variable done_;
    bool terminated_ = false;
    bool finished_ = false;
};

// Builds a T and starts it as the class library does after construction. When the start
// fails the object is freed and EThread raised. With FreeOnTerminate the pointer may already
// be gone when this returns.
template <class T, class... Args>
T* NewThread(Args&&... args) {
    T* thread = new T(std::forward<Args>(args)...);
    try {
        thread->AfterConstruction();
    } catch (...) {
        delete thread;
        throw;
    }
    return thread;
}

// Threads of this class still running (free-running ones included), those this copy of the
// layer started: a library loaded by name counts its own.
int RunningThreadCount();
// Waits until none runs, at most `timeoutMs` of real time; false when some still run.
// (An orderly end of a process, and tests, which must not tear down what threads use.)
bool WaitForRunningThreads(int timeoutMs);
