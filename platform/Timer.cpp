#include "Timer.h"

#include "TimerScheduler.h"
#include "UiThread.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner), state_(std::make_shared<TimerState>()) {
    state_->timer.store(this);
    TimerScheduler::Instance().Arm(state_);
}

TTimer::~TTimer() {
    // On the UI thread, so the timer cannot be gone halfway through its own tick.
    auto st = state_;
    RunOnUiThread([st] {
        st->timer.store(nullptr);
        TimerScheduler::Instance().Disarm(st);
    });
}

bool TTimer::Enabled() const { return state_->enabled.load(); }

void TTimer::SetEnabled(bool enabled) {
    if (state_->enabled.exchange(enabled) == enabled) return;
    if (enabled) TimerScheduler::Instance().Arm(state_);
    else TimerScheduler::Instance().Disarm(state_);
}

unsigned TTimer::Interval() const { return state_->interval.load(); }

void TTimer::SetInterval(unsigned ms) {
    if (state_->interval.exchange(ms) == ms) return;
    TimerScheduler::Instance().Arm(state_);
}
