#pragma once
// The queue behind a UI thread: calls queued from any thread run on the UI thread in the
// order they were queued; a blocking call waits for its turn in the same queue, so it never
// overtakes calls queued before it, and the UI thread only ever waits for its own queue.
// Before the UI thread is set and after it is cleared, calls run inline. How the UI thread
// learns that a call arrived is the derived class's (an event loop's wake-up, a condition).
#include "UiThread.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

class UiQueue : public UiDispatcher {
public:
    bool IsUiThread() override;
    void RunSync(const std::function<void()>& f) override;  // rethrows what `f` threw
    void Queue(std::function<void()> f) override;           // errors reported, the loop goes on
    bool Active() const { return active_.load(); }

protected:
    void activate();                                    // the calling thread becomes the UI thread
    void deactivate();                                  // calls run inline from now on
    bool drain();                                       // runs what is queued; true when something ran
    bool QueueEmpty() const { return queue_.empty(); }  // with mutex_ held
    // A call joined the queue; called with mutex_ held.
    virtual void Arrived() = 0;

    std::mutex mutex_;

private:
    void push(std::function<void()> task);

    std::deque<std::function<void()>> queue_;
    std::atomic<bool> active_{false};
    std::thread::id uiThread_;
};
