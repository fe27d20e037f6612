#include "ServiceThread.h"

#include <chrono>

ServiceThread::~ServiceThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        // A clock that is no longer in force may be gone already: only the current one is
        // told to forget the listener.
        if (fake_ && fake_ == &CurrentClock()) fake_->RemoveListener(listener_);
        fake_ = nullptr;
    }
    work_.notify_all();
    done_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ServiceThread::followClock() {
    Clock* c = &CurrentClock();
    if (c == clock_) return;
    clock_ = c;
    fake_ = dynamic_cast<FakeClock*>(c);
    if (fake_) {
        FakeClock* f = fake_;
        listener_ = f->AddListener([this, f](int64_t ms) { onAdvance(f, ms); });
    }
}

int64_t ServiceThread::Now() {
    std::lock_guard lock(mutex_);
    followClock();
    return CurrentClock().MonotonicMs();
}

void ServiceThread::At(int64_t due, std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        followClock();
        jobs_.emplace(std::make_pair(due, ++order_), std::move(job));
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { run(); });
            id_ = thread_.get_id();
        }
    }
    work_.notify_all();
}

void ServiceThread::Clear() {
    std::unique_lock lock(mutex_);
    jobs_.clear();
    if (!OnThread()) done_.wait(lock, [&] { return !running_ || stopping_; });
}

void ServiceThread::WaitIdle() {
    if (OnThread()) return;
    std::unique_lock lock(mutex_);
    followClock();
    int64_t now = CurrentClock().MonotonicMs();
    work_.notify_all();
    done_.wait(lock, [&] { return stopping_ || (!running_ && !dueBy(now)); });
}

void ServiceThread::onAdvance(FakeClock* clock, int64_t ms) {
    std::unique_lock lock(mutex_);
    if (clock != fake_ || stopping_ || OnThread()) return;
    if (!running_ && !dueBy(ms)) return;
    work_.notify_all();
    done_.wait(lock, [&] { return stopping_ || clock != fake_ || (!running_ && !dueBy(ms)); });
}

void ServiceThread::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        followClock();
        int64_t now = CurrentClock().MonotonicMs();
        if (dueBy(now)) {
            auto it = jobs_.begin();
            std::function<void()> job = std::move(it->second);
            jobs_.erase(it);
            running_ = true;
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
            running_ = false;
            done_.notify_all();
            continue;
        }
        if (jobs_.empty() || fake_) {
            work_.wait(lock);
        } else {
            work_.wait_for(lock, std::chrono::milliseconds(jobs_.begin()->first.first - now));
        }
    }
}
