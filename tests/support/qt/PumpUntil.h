#pragma once
#include <functional>

// Processes events until `done` holds; false if that took `limitMs` (a Qt timer only wakes
// the wait then: nothing here sleeps). `done` must become true through an event on the UI
// thread, or the wait runs to its limit and fails.
bool PumpUntil(const std::function<bool()>& done, int limitMs = 10000);
