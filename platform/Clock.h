#pragma once
// The one source of time for the programs, the timers and the simulated dial-up service.
// Tests install a FakeClock and advance it by hand: nothing waits on the wall clock.
#include "SysUtils.h"
#include <cstdint>
#include <functional>
#include <mutex>

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
    int AddListener(Listener l);
    void RemoveListener(int id);

private:
    std::mutex mutex_;
    TDateTime wall_;
    int64_t mono_ = 0;
    int nextId_ = 1;
    std::vector<std::pair<int, Listener>> listeners_;
};
