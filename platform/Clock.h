#pragma once
// The one source of time for the programs, the timers and the simulated dial-up service.
// Tests install a FakeClock and advance it by hand: nothing waits on the wall clock.
#include "SysUtils.h"
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

class Clock {
public:
    virtual ~Clock() = default;
    virtual TDateTime Now() = 0;            // local wall time
    virtual int64_t MonotonicMs() = 0;      // for time-outs; never goes back
};

// The clock in force; the system clock unless a test installed another.
Clock& CurrentClock();
void SetClock(Clock* clock);  // nullptr restores the system clock
bool UsingFakeClock();
// Told after SetClock puts another clock in force, with the clock in force before (still
// alive at that moment) and the new one. The timers follow the clock this way.
using ClockChangeListener = std::function<void(Clock* before, Clock* after)>;
int AddClockChangeListener(ClockChangeListener l);
void RemoveClockChangeListener(int id);

TDateTime Now();

class FakeClock : public Clock {
public:
    explicit FakeClock(TDateTime start = EncodeDateTime(2004, 11, 5, 14, 3, 9));
    TDateTime Now() override;
    int64_t MonotonicMs() override;
    // Moves both readings forward; listeners (the timer scheduler, the simulated service)
    // run what fell due, in time order, on the calling thread.
    void Advance(int64_t ms);
    void SetNow(TDateTime t);  // wall time only (a clock change); monotonic time stays
    using Listener = std::function<void(int64_t monotonicMs)>;
    // A listener is told of every millisecond unless it can say when it next has something
    // due (`nextDue`, a monotonic time; INT64_MAX for nothing): then Advance moves straight
    // to the earliest moment any listener waits for.
    using NextDue = std::function<int64_t()>;
    int AddListener(Listener l, NextDue nextDue = nullptr);
    void RemoveListener(int id);

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
