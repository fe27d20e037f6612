#pragma once
// The one thread on which the connected sequences run, one after another in the order they
// were posted, so the UI thread keeps painting and answering while a sequence's requests
// run. Posted and stopped from the UI thread.
#include "platform/RequestStop.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TSequenceWorker {
public:
    TSequenceWorker() = default;
    ~TSequenceWorker();  // Stop()
    TSequenceWorker(const TSequenceWorker&) = delete;
    TSequenceWorker& operator=(const TSequenceWorker&) = delete;

    // Runs `job` after the ones posted before it; ignored once stopped. An error escaping a
    // job is dropped: the job's own steps report theirs.
    void Post(std::function<void()> job);
    // A job is running or waiting.
    bool Busy() const;
    // Takes no more jobs, drops the waiting ones, ends the running one's network request (its
    // step reports the failure as usual, and every later request of it fails at once) and
    // waits for it to end while the UI thread goes on serving its messages (a running
    // sequence asks the UI thread for its window steps). Idempotent.
    void Stop();

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool running_ = false;
    bool stopping_ = false;
    TRequestStop requests_;  // the jobs' requests
    std::thread thread_;
};
