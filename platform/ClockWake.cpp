#include "ClockWake.h"

#include <cerrno>
#include <sys/eventfd.h>
#include <unistd.h>

TClockWake::TClockWake(Clock& clock, int64_t deadline) : clock_(clock) {
    if (clock.RealWaitMs(deadline) != Clock::kUntilWoken) return;
    int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) return;
    fd_ = std::shared_ptr<int>(new int(fd), [](int* p) {
        ::close(*p);
        delete p;
    });
    id_ = clock.AddListener(
        [fd = fd_](int64_t) {
            uint64_t one = 1;
            while (::write(*fd, &one, sizeof one) < 0 && errno == EINTR) {}
        },
        [deadline] { return deadline; });
}

TClockWake::~TClockWake() {
    if (fd_) clock_.RemoveListener(id_);
}

void TClockWake::drain() {
    uint64_t count;
    if (fd_)
        while (::read(*fd_, &count, sizeof count) > 0) {}
}
