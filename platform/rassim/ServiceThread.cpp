#include "ServiceThread.h"

#include <chrono>
#include <cstdint>

ServiceThread::~ServiceThread() {
    int changeListener;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        changeListener = changeListener_;
    }
    // Without the lock: a change being told waits for it.
    if (changeListener) RemoveClockChangeListener(changeListener);
    {
        std::lock_guard lock(mutex_);
        // Every clock that still holds a listener is alive: each forgets it before the
        // library's code goes away.
        for (auto& r : registrations_)
            if (r->alive) r->clock->RemoveListener(r->id);
        clock_ = nullptr;
    }
    work_.notify_all();
    done_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ServiceThread::followClock() {
    // Once stopping, no clock may be given a listener the library's end would not take back.
    if (stopping_) return;
    if (!changeListener_)
        changeListener_ = AddClockChangeListener([this](Clock* before, Clock*) { clockChanged(before); });
    Clock* c = &CurrentClock();
    if (c == clock_ && listening_ && listening_->alive) return;
    clock_ = c;
    listening_ = nullptr;
    std::erase_if(registrations_, [](auto& r) { return !r->alive; });
    for (auto& r : registrations_)
        if (r->clock == c) listening_ = r;
    if (listening_) return;
    auto reg = std::make_shared<Registration>();
    reg->clock = c;
    // One small shared hook per listener: the clock copies its listeners at every step.
    auto hook = std::make_shared<Hook>(this, reg);
    reg->id = c->AddListener([hook](int64_t ms) { hook->owner->onAdvance(hook->reg->clock, ms); },
                             [hook] { return hook->owner->nextDue(hook->reg->clock); });
    registrations_.push_back(reg);
    listening_ = reg;
}

void ServiceThread::clockChanged(Clock* before) {
    {
        std::lock_guard lock(mutex_);
        // The clock before may go once SetClock returns: no listener stays on it.
        for (auto& r : registrations_)
            if (r->clock == before && r->alive) before->RemoveListener(r->id);
        std::erase_if(registrations_, [before](auto& r) { return r->clock == before; });
        if (clock_ == before) {
            clock_ = nullptr;
            listening_ = nullptr;
        }
        // The new clock is in force already: listen to it before anyone moves it.
        followClock();
    }
    work_.notify_all();
    done_.notify_all();
}

int64_t ServiceThread::Now() {
    std::lock_guard lock(mutex_);
    followClock();
    return clock_ ? clock_->MonotonicMs() : CurrentClock().MonotonicMs();
}

void ServiceThread::At(int64_t due, std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        followClock();
        jobs_.emplace(std::make_pair(due, ++order_), std::move(job));
        earliest_ = jobs_.begin()->first.first;
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
    earliest_ = INT64_MAX;
    if (!OnThread()) done_.wait(lock, [&] { return !running_ || stopping_; });
}

void ServiceThread::WaitIdle() {
    if (OnThread()) return;
    std::unique_lock lock(mutex_);
    followClock();
    int64_t now = clock_ ? clock_->MonotonicMs() : CurrentClock().MonotonicMs();
    work_.notify_all();
    done_.wait(lock, [&] { return stopping_ || (!running_ && !dueBy(now)); });
}

int64_t ServiceThread::nextDue(Clock* clock) {
    std::lock_guard lock(mutex_);
    if (clock != clock_ || stopping_ || jobs_.empty()) return INT64_MAX;
    return jobs_.begin()->first.first;
}

void ServiceThread::onAdvance(Clock* clock, int64_t ms) {
    // Most moments have nothing due: answered without the lock.
    if (ms < earliest_ && !running_) return;
    std::unique_lock lock(mutex_);
    if (clock != clock_ || stopping_ || OnThread()) return;
    if (!running_ && !dueBy(ms)) return;
    work_.notify_all();
    done_.wait(lock, [&] { return stopping_ || clock != clock_ || (!running_ && !dueBy(ms)); });
}

void ServiceThread::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        followClock();
        int64_t now = clock_->MonotonicMs();
        if (dueBy(now)) {
            auto it = jobs_.begin();
            std::function<void()> job = std::move(it->second);
            jobs_.erase(it);
            earliest_ = jobs_.empty() ? INT64_MAX : jobs_.begin()->first.first;
            running_ = true;
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
            running_ = false;
            done_.notify_all();
            continue;
        }
        int64_t wait = jobs_.empty() ? Clock::kUntilWoken : clock_->RealWaitMs(jobs_.begin()->first.first);
        if (wait == Clock::kUntilWoken) work_.wait(lock);
        else work_.wait_for(lock, std::chrono::milliseconds(wait));
    }
}
