#pragma once
// The hand-over to the UI thread over Qt's event loop (internal to the layer). A call from
// another thread cannot deadlock while the UI thread is in the message loop, a modal loop or
// ProcessMessages. Nothing of Qt's crosses threads: the calls wait in the queue and an
// eventfd that the UI thread's event loop watches wakes it.
#include "platform/UiQueue.h"

class QSocketNotifier;

class QtDispatcher : public UiQueue {
public:
    static QtDispatcher& Instance();  // lives as long as the process

    void Start();  // on the thread that becomes the UI thread; installs itself
    void Stop();   // runs what is still queued, then calls run inline again
    // Wakes the UI thread out of a wait for events (the loops then look at their flags).
    void Wake();

private:
    void Arrived() override { signal(); }
    void signal();  // wakes the UI thread's event loop

    int wakeFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
