#include "FakeClock.h"

#include <algorithm>

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

std::size_t FakeClock::ListenerCount() {
    std::lock_guard lock(mutex_);
    return listeners_.size();
}
