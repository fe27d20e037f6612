#include "Clock.h"

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
} // namespace

Clock& CurrentClock() { return *gClock.load(); }
void SetClock(Clock* c) { gClock.store(c ? c : &gSystem); }
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
    // Step in small slices so listeners see every due moment in order.
    while (ms > 0) {
        int64_t step = ms < 1 ? ms : 1;
        int64_t mono;
        std::vector<Listener> ls;
        {
            std::lock_guard lock(mutex_);
            mono_ += step;
            wall_ += step / 86400000.0;
            mono = mono_;
            for (auto& p : listeners_) ls.push_back(p.second);
        }
        for (auto& l : ls) l(mono);
        ms -= step;
    }
}

void FakeClock::SetNow(TDateTime t) {
    std::lock_guard lock(mutex_);
    wall_ = t;
}

int FakeClock::AddListener(Listener l) {
    std::lock_guard lock(mutex_);
    int id = nextId_++;
    listeners_.emplace_back(id, std::move(l));
    return id;
}

void FakeClock::RemoveListener(int id) {
    std::lock_guard lock(mutex_);
    std::erase_if(listeners_, [id](auto& p) { return p.first == id; });
}
