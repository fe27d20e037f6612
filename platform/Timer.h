#pragma once
// The class library's timer: OnTimer runs on the UI thread every Interval milliseconds of the
// clock in force (platform/TimerScheduler.h). Enabled keeps the class library's meaning:
// setting it to what it already is changes nothing (true while true does not restart the
// period), false then true starts a full period again, and it reads true inside its own
// handler. It may be set from any thread: the flag and the period change at once (a period
// started on another thread counts from that call), the last call made wins, and the
// handler still runs on the UI thread.
#include "Component.h"

#include <memory>

struct TimerState;

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner = nullptr);  // enabled, 1000 ms, as the class library makes it
    ~TTimer() override;

    bool Enabled() const;
    void SetEnabled(bool enabled);
    unsigned Interval() const;
    void SetInterval(unsigned ms);  // 0: never fires; a change restarts the period

    TNotifyEvent OnTimer;

private:
    std::shared_ptr<TimerState> state_;
};
