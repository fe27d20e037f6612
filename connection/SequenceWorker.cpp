#include "SequenceWorker.h"

#include "platform/Application.h"

#include <chrono>

TSequenceWorker::~TSequenceWorker() { Stop(); }

void TSequenceWorker::Post(std::function<void()> job) {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    jobs_.push_back(std::move(job));
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
    changed_.notify_all();
}

bool TSequenceWorker::Busy() const {
    std::lock_guard lock(mutex_);
    return running_ || !jobs_.empty();
}

void TSequenceWorker::Stop() {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    jobs_.clear();
    requests_.Stop();
    changed_.notify_all();
    // The running job may be waiting for the UI thread (a repaint, a question): serve it.
    while (running_) {
        lock.unlock();
        Application->ProcessMessages();
        lock.lock();
        changed_.wait_for(lock, std::chrono::milliseconds(5), [this] { return !running_; });
    }
    lock.unlock();
    if (thread_.joinable()) thread_.join();
}

void TSequenceWorker::run() {
    TRequestStopScope scope(requests_);
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;  // stopping
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = true;
        lock.unlock();
        try {
            job();
        } catch (...) {}
        job = nullptr;
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}
