#include "Clock.h"

#include "HostLink.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {
class SystemClock : public Clock {
public:
    TDateTime Now() override {
        using namespace std::chrono;
        auto now = system_clock::now();
        time_t t = system_clock::to_time_t(now);
        int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
        struct tm tm {};
        localtime_r(&t, &tm);
        return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
    }
    int64_t MonotonicMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void Sleep(int64_t ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    int64_t RealWaitMs(int64_t deadline) override { return std::max<int64_t>(0, deadline - MonotonicMs()); }
    // Kept, never told: real time moves by itself and every waiter bounds its own wait.
    int AddListener(Listener l, NextDue nextDue) override {
        std::lock_guard lock(mutex_);
        int id = nextId_++;
        listeners_.emplace(id, std::make_pair(std::move(l), std::move(nextDue)));
        return id;
    }
    void RemoveListener(int id) override {
        std::lock_guard lock(mutex_);
        listeners_.erase(id);
    }

private:
    std::mutex mutex_;
    int nextId_ = 1;
    std::map<int, std::pair<Listener, NextDue>> listeners_;
};

// Never freed: listeners may be removed by objects that outlive main.
SystemClock& systemClock() {
    static SystemClock* clock = new SystemClock;
    return *clock;
}

std::atomic<Clock*> gClock{nullptr};
std::mutex gChangeMutex;
// Held while listeners are told, so a removal waits for a change being told.
std::recursive_mutex gTellMutex;
int gNextChangeId = 1;
std::vector<std::pair<int, ClockChangeListener>> gChangeListeners;

// A library following its program's clock: the program's record, and this library's
// listeners as the program's registry knows them (by the program's ids).
std::atomic<const VynHost*> gHost{nullptr};
std::map<int, std::unique_ptr<ClockChangeListener>> gHostListeners;

void tellHostListener(void* listener, Clock* before, Clock* after) {
    (*static_cast<ClockChangeListener*>(listener))(before, after);
}
}  // namespace

Clock& CurrentClock() {
    if (const VynHost* host = gHost.load()) return *host->currentClock();
    Clock* c = gClock.load();
    return c ? *c : systemClock();
}

void SetClock(Clock* c) {
    std::lock_guard tell(gTellMutex);
    Clock* after = c ? c : &systemClock();
    Clock* before = gClock.exchange(after);
    if (!before) before = &systemClock();
    if (before == after) return;
    std::vector<std::pair<int, ClockChangeListener>> ls;
    {
        std::lock_guard lock(gChangeMutex);
        ls = gChangeListeners;
    }
    for (auto& l : ls) l.second(before, after);
}

int AddClockChangeListener(ClockChangeListener l) {
    if (const VynHost* host = gHost.load()) {
        auto listener = std::make_unique<ClockChangeListener>(std::move(l));
        int id = host->addClockChangeListener(&tellHostListener, listener.get());
        std::lock_guard lock(gChangeMutex);
        gHostListeners[id] = std::move(listener);
        return id;
    }
    std::lock_guard lock(gChangeMutex);
    int id = gNextChangeId++;
    gChangeListeners.emplace_back(id, std::move(l));
    return id;
}

void RemoveClockChangeListener(int id) {
    if (const VynHost* host = gHost.load()) {
        host->removeClockChangeListener(id);
        std::lock_guard lock(gChangeMutex);
        gHostListeners.erase(id);
        return;
    }
    std::lock_guard tell(gTellMutex);
    std::lock_guard lock(gChangeMutex);
    std::erase_if(gChangeListeners, [id](auto& p) { return p.first == id; });
}

void FollowProgramClock(const VynHost& host) { gHost.store(&host); }

TDateTime Now() { return CurrentClock().Now(); }
