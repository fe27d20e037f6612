#pragma once
// Runs the timers on the clock in force (internal to the layer). Each enabled timer has a
// due time on the monotonic clock. The scheduler listens to the clock, so a clock moved by
// hand runs what falls due, in time order, on the UI thread before it goes on; where the
// clock's time moves by itself, the event loop's wake-up (installed by the class library)
// wakes the UI thread at the earliest due time.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class Clock;
class TTimer;

// What a TTimer shares with the scheduler.
struct TimerState {
    std::atomic<bool> enabled{true};
    std::atomic<unsigned> interval{1000};
    std::atomic<TTimer*> timer{nullptr};  // null once the timer is gone
    // The scheduler's, under its mutex:
    bool armed = false;
    int64_t due = 0;
    uint64_t order = 0;
};

// Wakes the UI thread's event loop once, after a time in real milliseconds, to call
// TimerScheduler::Wake. Called on the UI thread only.
class TimerWakeup {
public:
    virtual ~TimerWakeup() = default;
    virtual void WakeAfter(int64_t ms) = 0;  // replaces the wake-up asked before
    virtual void Cancel() = 0;
};

class TimerScheduler {
public:
    static TimerScheduler& Instance();  // lives as long as the process

    // Any thread. Arm starts a full period from now (an interval of 0 never fires); Disarm
    // stops the timer. Each is dropped when the timer's flag no longer asks for it (a later
    // call on another thread overtook it), so the last flag set always wins.
    void Arm(const std::shared_ptr<TimerState>& t);
    void Disarm(const std::shared_ptr<TimerState>& t);
    // Runs every timer due at `now` (monotonic ms), earliest first; UI thread.
    void RunDue(int64_t now);
    int64_t NextDue();  // any thread; INT64_MAX when nothing is armed
    // The event loop's side, on the UI thread: the wake-up in force (null: none), and the
    // wake-up's call when its time came.
    void SetWakeup(TimerWakeup* wakeup);
    void Wake();

private:
    void ensureFollowingClock();
    void clockChanged(Clock* before, Clock* after);
    void attach(Clock* clock);
    void onTime(int64_t now);
    void rearm();         // UI thread
    void requestRearm();  // any thread

    std::mutex mutex_;
    std::vector<std::shared_ptr<TimerState>> armed_;
    uint64_t order_ = 0;
    bool following_ = false;
    Clock* clock_ = nullptr;  // the clock listened to
    int listener_ = 0;
    std::atomic<TimerWakeup*> wakeup_{nullptr};
};
