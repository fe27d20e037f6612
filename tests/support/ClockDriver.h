#pragma once
// Drives a FakeClock for code that waits on it from another thread (a socket time-out
// measured on the program's clock): the body runs on a worker thread while this thread
// moves the clock on a step at a time until the body ends.
#include "support/FakeClock.h"

#include <cstdint>
#include <functional>

// Runs `body` on a worker thread and advances `clock` by `stepMs` after each short pause
// until it returns; how far the clock went (at least the time-out the body waited for, a
// little more as the worker notices the clock in its own time). Bounded: stops moving the
// clock after `limitMs` of test time and then waits for the body.
int64_t AdvanceUntilDone(FakeClock& clock, const std::function<void()>& body, int64_t stepMs = 1000,
                         int64_t limitMs = 120000);
