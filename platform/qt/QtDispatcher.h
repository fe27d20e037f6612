#pragma once
// The hand-over to the UI thread over Qt's event queue (internal to the layer). Calls queued
// from any thread run on the UI thread in the order they were queued; a blocking call waits
// for its turn in the same queue, so it never overtakes calls queued before it. The UI
// thread only ever waits for its own queue, so a call from another thread cannot deadlock
// while the UI thread is in the message loop, a modal loop or ProcessMessages. Nothing of
// Qt's crosses threads: the calls wait in the dispatcher's own queue and an eventfd that
// the UI thread's event loop watches wakes it.
#include "platform/UiThread.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

class QSocketNotifier;

class QtDispatcher : public UiDispatcher {
public:
    static QtDispatcher& Instance();  // lives as long as the process

    void Start();  // on the thread that becomes the UI thread; installs itself
    void Stop();   // runs what is still queued, then calls run inline again
    bool Active() const { return active_.load(); }

    bool IsUiThread() override;
    void RunSync(const std::function<void()>& f) override;  // rethrows what `f` threw
    void Queue(std::function<void()> f) override;           // errors reported, loop goes on
    // Wakes the UI thread out of a wait for events (the loops then look at their flags).
    void Wake();

private:
    void push(std::function<void()> task);
    void drain();
    void signal();  // wakes the UI thread's event loop

    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
    std::atomic<bool> active_{false};
    std::thread::id uiThread_;
    int wakeFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
