#include "QtDispatcher.h"

#include "platform/Application.h"

#include <QSocketNotifier>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

QtDispatcher& QtDispatcher::Instance() {
    static QtDispatcher* instance = new QtDispatcher;  // never freed: threads may outlive main
    return *instance;
}

void QtDispatcher::Start() {
    std::lock_guard lock(mutex_);
    uiThread_ = std::this_thread::get_id();
    if (wakeFd_ < 0) wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    notifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, [this] {
        uint64_t count;
        while (read(wakeFd_, &count, sizeof count) > 0) {}
        drain();
    });
    active_.store(true);
    SetUiDispatcher(this);
}

void QtDispatcher::Stop() {
    drain();
    {
        std::lock_guard lock(mutex_);
        active_.store(false);
        delete notifier_;
        notifier_ = nullptr;
    }
    SetUiDispatcher(nullptr);
    drain();  // whatever slipped in between
}

bool QtDispatcher::IsUiThread() { return !active_.load() || std::this_thread::get_id() == uiThread_; }

void QtDispatcher::push(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    if (!active_.load()) {
        lock.unlock();
        task();
        return;
    }
    queue_.push_back(std::move(task));
    signal();
}

void QtDispatcher::signal() {
    uint64_t one = 1;
    while (write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {}
}

void QtDispatcher::drain() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task();
    }
}

void QtDispatcher::Queue(std::function<void()> f) {
    push([f = std::move(f)] { RunHandler(f); });
}

void QtDispatcher::RunSync(const std::function<void()>& f) {
    if (IsUiThread()) {
        f();
        return;
    }
    struct Call {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        std::exception_ptr error;
    };
    auto call = std::make_shared<Call>();
    push([call, &f] {
        try {
            f();
        } catch (...) {
            call->error = std::current_exception();
        }
        std::lock_guard lock(call->m);
        call->done = true;
        call->cv.notify_all();
    });
    std::exception_ptr error;
    {
        std::unique_lock lock(call->m);
        call->cv.wait(lock, [&] { return call->done; });
        error = std::move(call->error);  // the waiter alone holds the error from here on
    }
    if (error) std::rethrow_exception(error);
}

void QtDispatcher::Wake() {
    if (active_.load()) signal();
}
