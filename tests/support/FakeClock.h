#pragma once
// The tests' clock: it moves only when a test advances it (or code sleeps on it), and it
// jumps from due time to due time, so nothing in a test waits on the wall clock.
#include "platform/Clock.h"

#include <mutex>
#include <vector>

class FakeClock : public Clock {
public:
    explicit FakeClock(TDateTime start = EncodeDateTime(2004, 11, 5, 14, 3, 9));
    TDateTime Now() override;
    int64_t MonotonicMs() override;
    // A sleep is the clock's time passing: the sleeping thread advances it.
    void Sleep(int64_t ms) override { Advance(ms); }
    // Until the deadline only a move of the clock can bring it: a waiter listens.
    int64_t RealWaitMs(int64_t deadline) override { return deadline <= MonotonicMs() ? 0 : kUntilWoken; }
    int AddListener(Listener l, NextDue nextDue = nullptr) override;
    void RemoveListener(int id) override;

    // Moves both readings forward, stopping at each moment a listener waits for (the timer
    // scheduler, the simulated service, a socket wait) and telling every listener there, on
    // the calling thread; returns once the listeners have handled the new time.
    void Advance(int64_t ms);
    void SetNow(TDateTime t);  // wall time only (a clock change); monotonic time stays
    std::size_t ListenerCount();

private:
    struct Entry {
        int id;
        Listener listener;
        NextDue nextDue;
    };
    std::mutex mutex_;
    TDateTime wall_;
    int64_t mono_ = 0;
    int nextId_ = 1;
    std::vector<Entry> listeners_;
};
