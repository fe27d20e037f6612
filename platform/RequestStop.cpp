#include "RequestStop.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

const char* const kRequestStoppedText = "Request cancelled.";

namespace {
thread_local TRequestStop* tCurrent = nullptr;
}  // namespace

TRequestStop::TRequestStop() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TRequestStop::~TRequestStop() {
    if (fd_ >= 0) ::close(fd_);
}

void TRequestStop::Stop() {
    if (stopped_.exchange(true) || fd_ < 0) return;
    uint64_t one = 1;
    while (::write(fd_, &one, sizeof one) < 0 && errno == EINTR) {}
}

TRequestStopScope::TRequestStopScope(TRequestStop& stop) : outer_(tCurrent) { tCurrent = &stop; }

TRequestStopScope::~TRequestStopScope() { tCurrent = outer_; }

TRequestStop* CurrentRequestStop() { return tCurrent; }
