#pragma once
// What a thread blocked on sockets also watches so that it sees the program's clock move: on
// a clock whose time moves only when told (Clock::kUntilWoken), an eventfd the clock's
// listener signals at each move; on the system clock nothing (fd() is -1, which poll skips),
// since such a wait bounds itself by RealWaitMs.
#include "Clock.h"

#include <cstdint>
#include <memory>

class TClockWake {
public:
    // Listens until the object goes, telling the clock the waiter's next moment, `deadline`.
    TClockWake(Clock& clock, int64_t deadline);
    ~TClockWake();
    TClockWake(const TClockWake&) = delete;
    TClockWake& operator=(const TClockWake&) = delete;

    int fd() const { return fd_ ? *fd_ : -1; }
    void drain();

private:
    Clock& clock_;
    // Shared with the listener, which the clock may still call once after it was removed.
    std::shared_ptr<int> fd_;
    int id_ = 0;
};
