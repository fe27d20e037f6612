#include "Clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
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
};
SystemClock gSystem;
std::atomic<Clock*> gClock{&gSystem};
std::mutex gChangeMutex;
int gNextChangeId = 1;
std::vector<std::pair<int, ClockChangeListener>> gChangeListeners;
} // namespace

Clock& CurrentClock() { return *gClock.load(); }

void SetClock(Clock* c) {
    Clock* before = gClock.exchange(c ? c : &gSystem);
    Clock* after = c ? c : &gSystem;
    if (before == after) return;
    std::vector<std::pair<int, ClockChangeListener>> ls;
    {
        std::lock_guard lock(gChangeMutex);
        ls = gChangeListeners;
    }
    for (auto& l : ls) l.second(before, after);
}

int AddClockChangeListener(ClockChangeListener l) {
    std::lock_guard lock(gChangeMutex);
    int id = gNextChangeId++;
    gChangeListeners.emplace_back(id, std::move(l));
    return id;
}

void RemoveClockChangeListener(int id) {
    std::lock_guard lock(gChangeMutex);
    std::erase_if(gChangeListeners, [id](auto& p) { return p.first == id; });
}

bool UsingFakeClock() { return gClock.load() != &gSystem; }
TDateTime Now() { return CurrentClock().Now(); }

FakeClock::FakeClock(TDateTime start) : wall_(start) {}

TDateTime FakeClock::Now() {
    std::lock_guard lock(mutex_);
    return wall_;
}

int64_t FakeClock::MonotonicMs() {
    std::lock_guard lock(mutex_);
    return mono_;
}

void FakeClock::Advance(int64_t ms) {
    int64_t target;
    {
        std::lock_guard lock(mutex_);
        target = mono_ + ms;
    }
    for (;;) {
        std::vector<Entry> ls;
        int64_t now;
        {
            std::lock_guard lock(mutex_);
            now = mono_;
            if (now >= target) return;
            ls = listeners_;
        }
        // The next stop is the earliest moment a listener waits for; listeners that cannot
        // tell are stepped through every millisecond.
        int64_t next = target;
        for (auto& e : ls) {
            int64_t due = e.nextDue ? e.nextDue() : now + 1;
            next = std::min(next, std::max(due, now + 1));
        }
        int64_t mono;
        {
            std::lock_guard lock(mutex_);
            if (next > mono_) {
                wall_ += static_cast<double>(next - mono_) / 86400000.0;
                mono_ = next;
            }
            mono = mono_;
            ls = listeners_;
        }
        for (auto& e : ls) e.listener(mono);
    }
}

void FakeClock::SetNow(TDateTime t) {
    std::lock_guard lock(mutex_);
    wall_ = t;
}

int FakeClock::AddListener(Listener l, NextDue nextDue) {
    std::lock_guard lock(mutex_);
    int id = nextId_++;
    listeners_.push_back({id, std::move(l), std::move(nextDue)});
    return id;
}

void FakeClock::RemoveListener(int id) {
    std::lock_guard lock(mutex_);
    std::erase_if(listeners_, [id](const Entry& e) { return e.id == id; });
}
