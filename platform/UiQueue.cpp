#include "UiQueue.h"

#include "Application.h"

#include <condition_variable>
#include <exception>
#include <memory>

void UiQueue::activate() {
    std::lock_guard lock(mutex_);
    uiThread_ = std::this_thread::get_id();
    active_.store(true);
}

void UiQueue::deactivate() {
    std::lock_guard lock(mutex_);
    active_.store(false);
}

bool UiQueue::IsUiThread() { return !active_.load() || std::this_thread::get_id() == uiThread_; }

void UiQueue::push(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    if (!active_.load()) {
        lock.unlock();
        task();
        return;
    }
    queue_.push_back(std::move(task));
    Arrived();
}

bool UiQueue::drain() {
    bool ran = false;
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return ran;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task();
        ran = true;
    }
}

void UiQueue::Queue(std::function<void()> f) {
    push([f = std::move(f)] { RunHandler(f); });
}

void UiQueue::RunSync(const std::function<void()>& f) {
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
