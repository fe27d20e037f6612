#include "TimerScheduler.h"

#include "Application.h"
#include "Clock.h"
#include "Timer.h"
#include "UiThread.h"

#include <algorithm>
#include <limits>

TimerScheduler& TimerScheduler::Instance() {
    static TimerScheduler* instance = new TimerScheduler;  // the clock keeps a listener on it
    return *instance;
}

void TimerScheduler::ensureFollowingClock() {
    {
        std::lock_guard lock(mutex_);
        if (following_) return;
        following_ = true;
    }
    AddClockChangeListener([this](Clock* before, Clock* after) { clockChanged(before, after); });
    attach(&CurrentClock());
}

void TimerScheduler::attach(Clock* clock) {
    std::lock_guard lock(mutex_);
    clock_ = clock;
    listener_ = clock->AddListener([this](int64_t now) { onTime(now); }, [this] { return NextDue(); });
}

void TimerScheduler::clockChanged(Clock* before, Clock* after) {
    // Pending periods carry over to the new clock: what was due in 300 ms still is.
    int64_t beforeNow = before->MonotonicMs();
    int64_t afterNow = after->MonotonicMs();
    {
        std::lock_guard lock(mutex_);
        if (clock_ == before) before->RemoveListener(listener_);
        clock_ = nullptr;
        for (auto& t : armed_) t->due = afterNow + std::max<int64_t>(0, t->due - beforeNow);
    }
    attach(after);
    requestRearm();
}

void TimerScheduler::Arm(const std::shared_ptr<TimerState>& t) {
    ensureFollowingClock();
    int64_t now = CurrentClock().MonotonicMs();
    {
        std::lock_guard lock(mutex_);
        if (!t->timer.load() || !t->enabled.load()) return;
        unsigned interval = t->interval.load();
        if (interval == 0) {
            if (t->armed) std::erase(armed_, t);
            t->armed = false;
        } else {
            t->due = now + interval;
            t->order = ++order_;
            if (!t->armed) armed_.push_back(t);
            t->armed = true;
        }
    }
    requestRearm();
}

void TimerScheduler::Disarm(const std::shared_ptr<TimerState>& t) {
    {
        std::lock_guard lock(mutex_);
        if (!t->armed || (t->timer.load() && t->enabled.load())) return;
        t->armed = false;
        std::erase(armed_, t);
    }
    requestRearm();
}

int64_t TimerScheduler::NextDue() {
    std::lock_guard lock(mutex_);
    int64_t next = std::numeric_limits<int64_t>::max();
    for (auto& t : armed_) next = std::min(next, t->due);
    return next;
}

void TimerScheduler::RunDue(int64_t now) {
    for (;;) {
        std::shared_ptr<TimerState> t;
        {
            std::lock_guard lock(mutex_);
            auto it = std::min_element(armed_.begin(), armed_.end(), [](auto& a, auto& b) {
                return a->due != b->due ? a->due < b->due : a->order < b->order;
            });
            if (it == armed_.end() || (*it)->due > now) break;
            t = *it;
            // The next period counts from this one; ticks missed while the thread was busy
            // are not made up, as the platform's timer messages are not.
            int64_t next = t->due + t->interval.load();
            t->due = next > now ? next : now + t->interval.load();
            t->order = ++order_;
        }
        TTimer* timer = t->timer.load();
        if (!timer) continue;
        TNotifyEvent handler = timer->OnTimer;
        if (handler) RunHandler([&] { handler(timer); });
    }
    rearm();
}

void TimerScheduler::onTime(int64_t now) {
    if (IsUiThread()) RunDue(now);
    else RunOnUiThread([this, now] { RunDue(now); });
}

void TimerScheduler::SetWakeup(TimerWakeup* wakeup) {
    if (TimerWakeup* before = wakeup_.exchange(wakeup)) before->Cancel();
    rearm();
}

void TimerScheduler::Wake() { RunDue(CurrentClock().MonotonicMs()); }

void TimerScheduler::requestRearm() {
    if (IsUiThread()) rearm();
    else QueueOnUiThread([this] { rearm(); });
}

void TimerScheduler::rearm() {
    TimerWakeup* wakeup = wakeup_.load();
    if (!wakeup || !IsUiThread()) return;
    int64_t next = NextDue();
    int64_t wait = next == std::numeric_limits<int64_t>::max() ? Clock::kUntilWoken : CurrentClock().RealWaitMs(next);
    // On a clock moved by hand the clock's listener runs the timers, not the event loop.
    if (wait == Clock::kUntilWoken) wakeup->Cancel();
    else wakeup->WakeAfter(wait);
}
