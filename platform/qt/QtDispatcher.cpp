#include "QtDispatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

QtDispatcher& QtDispatcher::Instance() {
    static QtDispatcher* instance = new QtDispatcher;  // never freed: threads may outlive main
    return *instance;
}

void QtDispatcher::Start() {
    {
        std::lock_guard lock(mutex_);
        if (wakeFd_ < 0) wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        notifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read);
        QObject::connect(notifier_, &QSocketNotifier::activated, [this] {
            uint64_t count;
            while (read(wakeFd_, &count, sizeof count) > 0) {}
            drain();
        });
    }
    activate();
    SetUiDispatcher(this);
}

void QtDispatcher::Stop() {
    drain();
    deactivate();
    {
        std::lock_guard lock(mutex_);
        delete notifier_;
        notifier_ = nullptr;
    }
    SetUiDispatcher(nullptr);
    drain();  // whatever slipped in between
}

void QtDispatcher::signal() {
    uint64_t one = 1;
    while (write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {}
}

void QtDispatcher::Wake() {
    if (Active()) signal();
}
