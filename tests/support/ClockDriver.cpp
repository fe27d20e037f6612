#include "ClockDriver.h"

#include <atomic>
#include <chrono>
#include <thread>

int64_t AdvanceUntilDone(FakeClock& clock, const std::function<void()>& body, int64_t stepMs, int64_t limitMs) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        body();
        done = true;
    });
    int64_t advanced = 0;
    while (!done && advanced < limitMs) {
        // The worker polls the clock in short real slices; give it one to get back to its wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (done) break;
        clock.Advance(stepMs);
        advanced += stepMs;
    }
    worker.join();
    return advanced;
}
