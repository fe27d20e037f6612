#include "platform/Thread.h"

#include "platform/Machine.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <pthread.h>
#include <stdexcept>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {
// What a test thread saw of itself, and whether its object went.
struct Trace {
    std::mutex m;
    std::condition_variable cv;
    bool ran = false, freed = false, go = false;
    int nice = 1000;
    std::string name;

    void waitForGo() {
        std::unique_lock l(m);
        cv.wait_for(l, std::chrono::seconds(10), [&] { return go; });
    }
    void release() {
        std::lock_guard l(m);
        go = true;
        cv.notify_all();
    }
};

class Probe : public TThread {
public:
    Probe(bool suspended, Trace& t, bool freeItself, TThreadPriority p, bool gated = false, bool raise = false)
        : TThread(suspended), trace_(t), gated_(gated), raise_(raise) {
        FreeOnTerminate = freeItself;
        SetPriority(p);
    }
    ~Probe() override {
        std::lock_guard l(trace_.m);
        trace_.freed = true;
    }

protected:
    void Execute() override {
        if (gated_) trace_.waitForGo();
        NameThreadForDebugging("probe-thread-with-a-long-name");
        char name[16] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        std::lock_guard l(trace_.m);
        trace_.ran = true;
        trace_.name = name;
        trace_.nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        if (raise_) throw std::runtime_error("dropped at the thread's end");
    }

private:
    Trace& trace_;
    bool gated_, raise_;
};

int processNice() {
    errno = 0;
    return getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
}

bool mayRaisePriority() {
    bool ok = false;
    std::thread([&] { ok = setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), processNice() - 1) == 0; }).join();
    return ok;
}
}  // namespace

TEST(Thread, AThreadThatFreesItselfRunsAtItsPriorityAndGoes) {
    int base = processNice();
    bool mayRaise = mayRaisePriority();
    struct {
        TThreadPriority priority;
        int expected;
    } cases[] = {
        {tpNormal, base},
        {tpLower, base + 1},
        {tpHigher, mayRaise ? base - 1 : base},
        {tpIdle, 19},
    };
    for (auto& c : cases) {
        Trace t;
        NewThread<Probe>(false, t, true, c.priority);
        ASSERT_TRUE(WaitForRunningThreads(10000));
        std::lock_guard l(t.m);
        EXPECT_TRUE(t.ran && t.freed);
        EXPECT_EQ(t.nice, c.expected) << c.priority;
        EXPECT_EQ(t.name, "probe-thread-wi");  // the first 15 bytes
    }
}

TEST(Thread, ASuspendedThreadWaitsForStartAndIsWaitedForWhenFreed) {
    Trace t;
    auto* p = NewThread<Probe>(true, t, false, tpNormal, false, true);
    EXPECT_EQ(RunningThreadCount(), 0);
    EXPECT_FALSE(t.ran);
    p->Start();
    p->Start();  // a second start does nothing
    p->WaitFor();
    EXPECT_TRUE(t.ran);  // and its exception stayed in the thread
    EXPECT_FALSE(t.freed);
    delete p;
    EXPECT_TRUE(t.freed);
    EXPECT_EQ(RunningThreadCount(), 0);
}

TEST(Thread, RunningThreadsAreCountedUntilTheirObjectIsGone) {
    Trace t;
    NewThread<Probe>(false, t, true, tpNormal, true);
    EXPECT_EQ(RunningThreadCount(), 1);
    EXPECT_FALSE(WaitForRunningThreads(1));
    t.release();
    EXPECT_TRUE(WaitForRunningThreads(10000));
    std::lock_guard l(t.m);
    EXPECT_TRUE(t.freed);
}

TEST(Thread, ARefusedStartRaisesAndFreesTheObject) {
    TempMachine machine;
    Trace t;
    machine.writeMachineFile("no-threads", "");
    EXPECT_THROW(NewThread<Probe>(false, t, true, tpHigher), EThread);
    std::remove(MachineFile("no-threads").c_str());
    EXPECT_TRUE(t.freed);
    EXPECT_FALSE(t.ran);
    EXPECT_EQ(RunningThreadCount(), 0);
}
