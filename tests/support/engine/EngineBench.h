#pragma once
// The bench the engine is tested on, by the engine's own tests and by the main window's: a
// fresh machine ready to dial (one modem, the dial-up service beside the stand-in program,
// which is the test program linked in as "Mirvane.exe", or the name given, for its version
// block, "." as the thousands separator, the dialer service on a local HTTP server, no mail
// server), the service's test controls, and the fake clock moved by the test, with what the service and
// the timers hand to the UI thread handled at the moment it comes due.
#include "platform/Library.h"
#include "platform/rassim/RasSimControl.h"
#include "support/HttpTestServer.h"
#include "support/TempMachine.h"

#include <cstdint>
#include <functional>
#include <string>

class TDialer;

class EngineBench {
public:
    explicit EngineBench(const std::string& programFile = "Mirvane.exe");
    // Stops following the clock, then gives the test's hold on the service back.
    ~EngineBench();
    EngineBench(const EngineBench&) = delete;
    EngineBench& operator=(const EngineBench&) = delete;

    // Loads the dial-up service (the test's own hold on it) and clears its record: from here
    // on only what the program does is recorded.
    void OpenService();
    // From now on, at each moment the clock reaches, the UI thread is handed what came due,
    // then `then` runs (on the UI thread only); `next` tells the clock when `then` wants to
    // run next. Made after the engine, so the engine's timers and notifications come first.
    void FollowClock(std::function<void(int64_t ms)> then = {}, std::function<int64_t()> next = {});
    void StopFollowingClock();
    // Moves the clock to `ms` (monotonic), handing over at each moment.
    void RunTo(int64_t ms);
    int64_t Ms() { return machine.clock.MonotonicMs(); }
    // What the service has notified by now (it may still be on its way from the service's
    // thread) is handled on the UI thread, with everything queued before it.
    void HandOver();
    // Serves the UI thread until `dialer`'s connected sequence has ended (a real-time bound:
    // its requests go to local servers).
    void WaitForSequence(const TDialer& dialer);

    void writeScript(const std::string& script) { machine.writeMachineFile("dial-script.txt", script); }
    // The dialer service answers one connected sequence's connection report and a version
    // check that finds nothing newer (no failed dials and no phone list to update: two
    // requests).
    void scriptQuietService();

    TempMachine machine;
    HttpTestServer http;
    HMODULE service = nullptr;
    RasSimControl* sim = nullptr;

private:
    int listener_ = 0;
};
