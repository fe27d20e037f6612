// The timers on a clock whose time moves by itself ask the event loop to wake the UI thread
// at the next due time; on a clock moved by hand the clock runs them and the loop is left
// alone.
#include "platform/Timer.h"
#include "platform/TimerScheduler.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {
// Real time as the test sets it: it moves without telling anyone, as the system clock's does.
class SelfMovingClock : public Clock {
public:
    TDateTime Now() override { return 0; }
    int64_t MonotonicMs() override { return ms; }
    void Sleep(int64_t d) override { ms += d; }
    int64_t RealWaitMs(int64_t deadline) override { return std::max<int64_t>(0, deadline - ms); }
    int AddListener(Listener, NextDue) override { return 1; }
    void RemoveListener(int) override {}
    int64_t ms = 0;
};

struct RecordingWakeup : TimerWakeup {
    void WakeAfter(int64_t ms) override { calls.push_back("wake " + std::to_string(ms)); }
    void Cancel() override { calls.push_back("cancel"); }
    std::vector<std::string> calls;
};

TEST(TimerWakeup, TheEventLoopIsWokenAtTheNextDueTimeOnlyWhereTimeMovesByItself) {
    SelfMovingClock real;
    FakeClock fake;
    RecordingWakeup wakeup;
    TimerScheduler& scheduler = TimerScheduler::Instance();
    SetClock(&real);
    scheduler.SetWakeup(&wakeup);
    std::vector<int64_t> ticks;
    TTimer timer;  // 1000 ms from 0
    timer.OnTimer = [&](TObject*) { ticks.push_back(CurrentClock().MonotonicMs()); };

    struct Step {
        const char* what;
        std::function<void()> act;
        const char* lastCall;
        std::vector<int64_t> ticks;
    } steps[] = {
        {"made", [] {}, "wake 1000", {}},
        {"woken early",
         [&] {
             real.ms = 400;
             scheduler.Wake();
         },
         "wake 600",
         {}},
        {"woken in time",
         [&] {
             real.ms = 1000;
             scheduler.Wake();
         },
         "wake 1000",
         {1000}},
        {"late by 300",
         [&] {
             real.ms = 2300;
             scheduler.Wake();
         },
         "wake 700",
         {1000, 2300}},
        {"a shorter interval", [&] { timer.SetInterval(250); }, "wake 250", {1000, 2300}},
        {"disabled", [&] { timer.SetEnabled(false); }, "cancel", {1000, 2300}},
        {"enabled again",
         [&] {
             real.ms = 2400;
             timer.SetEnabled(true);
         },
         "wake 250",
         {1000, 2300}},
        {"a clock moved by hand", [&] { SetClock(&fake); }, "cancel", {1000, 2300}},
        {"moved by hand", [&] { fake.Advance(250); }, "cancel", {1000, 2300, 250}},
        {"real time again", [&] { SetClock(&real); }, "wake 250", {1000, 2300, 250}},
    };
    for (auto& s : steps) {
        s.act();
        EXPECT_EQ(wakeup.calls.empty() ? "" : wakeup.calls.back(), s.lastCall) << s.what;
        EXPECT_EQ(ticks, s.ticks) << s.what;
    }
    // A wake-up taken away is cancelled first.
    scheduler.SetWakeup(nullptr);
    EXPECT_EQ(wakeup.calls.back(), "cancel");
    SetClock(nullptr);
}
}  // namespace
