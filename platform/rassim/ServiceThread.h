#pragma once
// The service's own thread: runs each scheduled job when the clock in force reaches its
// moment, in time order (then in the order scheduled), one at a time and without any of the
// service's locks held, so a job may call the notifier and the notifier may call the
// service back.
//
// The thread blocks for as long as the clock allows before the next moment. The service
// also listens to the clock: a clock moved by hand tells it, and does not go on until every
// job due by the new time has run. A job (and so a notifier) must therefore never wait for
// the thread that moves the clock. When another clock is put in force the service lets go
// of the one before while it is still alive, and never calls it again.
#include "platform/Clock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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
    void clockChanged(Clock* before);
    bool dueBy(int64_t ms) const { return !jobs_.empty() && jobs_.begin()->first.first <= ms; }
    void onAdvance(Clock* clock, int64_t ms);
    int64_t nextDue(Clock* clock);  // INT64_MAX: nothing scheduled

    std::mutex mutex_;
    std::condition_variable work_;  // to the thread: a job or a new time
    std::condition_variable done_;  // from the thread: a job finished
    std::map<std::pair<int64_t, uint64_t>, std::function<void()>> jobs_;
    std::atomic<int64_t> earliest_{INT64_MAX};  // the first job's moment, read without the lock
    uint64_t order_ = 0;
    std::atomic<bool> running_{false};
    bool stopping_ = false;
    std::thread thread_;
    std::thread::id id_;
    // One listener on one clock. `alive` turns false when the clock drops the listener
    // (RemoveListener or the clock's end), so a clock that is gone is never called and a
    // new clock at the same address gets a listener of its own.
    struct Registration {
        Clock* clock = nullptr;
        int id = 0;
        std::atomic<bool> alive{true};
    };

    // What the clock's copies of the listener hold; when the clock drops the last copy the
    // registration is no longer alive.
    struct Hook {
        Hook(ServiceThread* o, std::shared_ptr<Registration> r) : owner(o), reg(std::move(r)) {}
        ~Hook() { reg->alive = false; }
        ServiceThread* owner;
        std::shared_ptr<Registration> reg;
    };

    int changeListener_ = 0;                   // on the clocks put in force; 0 before the first use
    Clock* clock_ = nullptr;                   // the clock in force when last looked at
    std::shared_ptr<Registration> listening_;  // on clock_
    std::vector<std::shared_ptr<Registration>> registrations_;
};
