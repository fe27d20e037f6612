#pragma once
// What tests and demos reach of the simulated dial-up service beyond the platform's exports:
// the call log, a reset between cases, the line speed and a wait for due notifications.
// The service exports them under names no program binds:
//     VynSimControl   the interface below
//     VynSimReset     the same as VynSimControl()->Reset()
//     VynSimLineSpeed the speed of the first connected connection, bits per second, 0 none
//     VynSimRequestAddress  an application's request for an address: when no connection is
//                     up, the AutoDial handler of the address's entry is called as the
//                     platform calls it (see HookCalls.h); returns what the call came to
// Bind them like the programs bind the rest: GetProcAddress(LoadLibraryA("RASAPI32.DLL"), ...).
// Beside them it exports VynAttachHost, by which LoadLibraryA gives it the program's clock
// (platform/HostLink.h). Nothing else of it is visible: the service's state, its call log
// included, is reached only through these.
#include "platform/RasApi.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One call a program made, or one notification the service delivered ("RasDialFunc1").
struct RasCall {
    uint64_t seq = 0;     // from 1 after each reset
    int64_t ms = 0;       // the clock's monotonic reading
    uint64_t thread = 0;  // the kernel's id of the calling (or notifying) thread
    std::string function;
    std::vector<std::pair<std::string, std::string>> args;     // in order; texts as 1252
    std::vector<std::pair<std::string, std::string>> buffers;  // raw bytes
    DWORD result = 0;

    // The argument or buffer of that name; "" when the call has none.
    std::string Arg(const std::string& name) const { return find(args, name); }
    std::string Buffer(const std::string& name) const { return find(buffers, name); }

private:
    static std::string find(const std::vector<std::pair<std::string, std::string>>& v, const std::string& name) {
        for (auto& [n, value] : v)
            if (n == name) return value;
        return {};
    }
};

class RasSimControl {
public:
    // Forgets the connections, pending notifications, dial count and call log, and starts a
    // new timeline on the clock in force (outside connections count from here). The
    // phonebook and the AutoDial table stay: they are files of the machine directory.
    virtual void Reset() = 0;
    // The calls and notifications since the last reset, in order; all, or one function's.
    virtual std::vector<RasCall> Calls() = 0;
    virtual std::vector<RasCall> Calls(const std::string& function) = 0;
    // Returns when every notification already due has been delivered (its notifier
    // returned). A clock moved by hand does this by itself for what falls due as it moves.
    virtual void WaitIdle() = 0;
    virtual DWORD LineSpeed() = 0;
    // The RasDialA calls that got past the argument checks since the last reset (each takes
    // the next rule of the dial script).
    virtual unsigned Dials() = 0;

protected:
    virtual ~RasSimControl() = default;
};

extern "C" {
typedef RasSimControl* (*PFN_VynSimControl)();
typedef DWORD (*PFN_VynSimReset)();
typedef DWORD (*PFN_VynSimLineSpeed)();
typedef DWORD (*PFN_VynSimRequestAddress)(LPCSTR lpszAddress);
}
