#pragma once
// The service's own thread: runs each scheduled job when the clock in force reaches its
// moment, in time order (then in the order scheduled), one at a time and without any of the
// service's locks held, so a job may call the notifier and the notifier may call the
// service back.
//
// Under the system clock the thread sleeps on a condition variable until the next moment.
// Under a FakeClock it sleeps until woken and is driven by the clock: the service listens to
// the clock, and FakeClock::Advance returns only when every job due by the new time has run.
// A job (and so a notifier) must therefore never wait for the thread that advances the clock.
#include "platform/Clock.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

class ServiceThread {
public:
    ServiceThread() = default;
    ~ServiceThread();
    ServiceThread(const ServiceThread&) = delete;
    ServiceThread& operator=(const ServiceThread&) = delete;

    // Runs `job` on the thread once the clock's monotonic reading is at least `due`.
    void At(int64_t due, std::function<void()> job);
    // Drops every job not yet started and waits for a running one to finish (unless called
    // from the thread itself).
    void Clear();
    // Returns when no job that is due now is waiting or running (at once on the thread).
    void WaitIdle();
    // The clock's reading, making sure the service listens to the clock in force.
    int64_t Now();
    bool OnThread() const { return std::this_thread::get_id() == id_; }

private:
    void run();
    void followClock();  // with mutex_ held
    bool dueBy(int64_t ms) const { return !jobs_.empty() && jobs_.begin()->first.first <= ms; }
    void onAdvance(FakeClock* clock, int64_t ms);

    std::mutex mutex_;
    std::condition_variable work_;  // to the thread: a job or a new time
    std::condition_variable done_;  // from the thread: a job finished
    std::map<std::pair<int64_t, uint64_t>, std::function<void()>> jobs_;
    uint64_t order_ = 0;
    bool running_ = false;
    bool stopping_ = false;
    std::thread thread_;
    std::thread::id id_;
    Clock* clock_ = nullptr;     // the clock listened to
    FakeClock* fake_ = nullptr;  // the same when it is a FakeClock
    int listener_ = 0;
};
