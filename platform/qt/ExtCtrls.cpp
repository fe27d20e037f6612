#include "ExtCtrls.h"

#include "TimerScheduler.h"
#include "platform/UiThread.h"

namespace {
// Brings the scheduler in line with the timer's flags, on the UI thread, in call order.
// A call that a later one has already overtaken (the flag no longer says what it was
// queued for) is dropped.
void follow(const std::shared_ptr<TimerState>& st, bool enabledWas) {
    auto apply = [st, enabledWas] {
        if (!st->timer || st->enabled.load() != enabledWas) return;
        if (enabledWas) TimerScheduler::Instance().Arm(st);
        else TimerScheduler::Instance().Disarm(st);
    };
    if (IsUiThread()) apply();
    else QueueOnUiThread(apply);
}
} // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner), state_(std::make_shared<TimerState>()) {
    state_->timer = this;
    follow(state_, true);
}

TTimer::~TTimer() {
    auto st = state_;
    auto gone = [st] {
        st->timer = nullptr;
        TimerScheduler::Instance().Disarm(st);
    };
    if (IsUiThread()) gone();
    else RunOnUiThread(gone);
}

bool TTimer::Enabled() const { return state_->enabled.load(); }

void TTimer::SetEnabled(bool enabled) {
    if (state_->enabled.exchange(enabled) == enabled) return;
    follow(state_, enabled);
}

unsigned TTimer::Interval() const { return state_->interval.load(); }

void TTimer::SetInterval(unsigned ms) {
    if (state_->interval.exchange(ms) == ms) return;
    if (state_->enabled.load()) follow(state_, true);
}
