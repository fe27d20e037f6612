#pragma once
// The one source of time for the programs, the timers and the simulated dial-up service, and
// what code that waits needs of it. Code that waits never asks which clock is in force: it
// sleeps through the clock, blocks no longer than the clock allows, and listens to the clock
// when the clock says only it can tell that time moved. Tests install a clock that moves
// only when they advance it: nothing in a test waits on the wall clock.
#include "SysUtils.h"

#include <cstdint>
#include <functional>

class Clock {
public:
    virtual ~Clock() = default;
    virtual TDateTime Now() = 0;        // local wall time
    virtual int64_t MonotonicMs() = 0;  // for time-outs; never goes back

    // Lets `ms` of monotonic time pass before returning. The system clock sleeps; a clock
    // that moves only when told moves itself, running what falls due on the way.
    virtual void Sleep(int64_t ms) = 0;

    // How long, in real milliseconds, a thread waiting for the monotonic moment `deadline`
    // may block before it must read the clock again (0 once the moment has come), or
    // kUntilWoken: the time moves only when a listener is told, so the waiter listens and
    // blocks until its listener wakes it.
    static constexpr int64_t kUntilWoken = -1;
    virtual int64_t RealWaitMs(int64_t deadline) = 0;

    // Listeners are told of every move of the clock's time, with the new monotonic reading,
    // on the thread that moves it. The system clock's time moves by itself: it never tells
    // them. A listener that can say when it next has something due (`nextDue`, a monotonic
    // time; INT64_MAX for nothing) lets the clock jump straight there; one that cannot is
    // told of every millisecond. A listener may still be told once after RemoveListener
    // returns when the time moves on another thread: what it holds must outlive that.
    using Listener = std::function<void(int64_t monotonicMs)>;
    using NextDue = std::function<int64_t()>;
    virtual int AddListener(Listener listener, NextDue nextDue = nullptr) = 0;
    virtual void RemoveListener(int id) = 0;
};

// The clock in force; the system clock unless a test installed another.
Clock& CurrentClock();
void SetClock(Clock* clock);  // nullptr restores the system clock
// Told after SetClock puts another clock in force, with the clock in force before (still
// alive at that moment) and the new one, before SetClock returns. The timers follow the
// clock this way. Once RemoveClockChangeListener returns the listener is never told again
// (so it must not be called from a thread that holds what the listener waits for).
using ClockChangeListener = std::function<void(Clock* before, Clock* after)>;
int AddClockChangeListener(ClockChangeListener l);
void RemoveClockChangeListener(int id);

// In a library whose program handed its clock over (platform/HostLink.h): from now on
// CurrentClock is the program's clock in force and the change listeners hear the program's
// SetClock; this library's own SetClock no longer counts.
struct VynHost;
void FollowProgramClock(const VynHost& host);

TDateTime Now();
