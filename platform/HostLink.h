#pragma once
// The one hand-over between a program and a library it loads by name.
//
// A library exports only its entry points and runs on its own copy of this layer: it reads
// the machine directory as any process does (VYN_MACHINE_DIR, platform/Machine.h), and the
// machine's files say the rest. The one thing it cannot learn that way is the program's
// clock, and the simulated dial-up service must run on the clock the program put in force
// (a test's clock moves only when the test moves it). So a library that wants the program's
// clock exports
//     extern "C" void VynAttachHost(const VynHost* host);
// and LoadLibraryA (platform/Library.h) calls it once, right after loading the library and
// before any other export, with the record below, which lives as long as the program. From
// then on the library's CurrentClock is the program's clock in force, read at every use, and
// its clock change listeners hear the program's SetClock before SetClock returns, while the
// clock before is still alive. A listener removed is never told again, so a library whose
// code drops every listener before it unloads is never called after.
#include <cstdint>

class Clock;

extern "C" {
// Told of a SetClock in the program.
typedef void (*VynClockChanged)(void* context, Clock* before, Clock* after);

struct VynHost {
    uint32_t size;     // sizeof(VynHost) in the program's build
    uint32_t version;  // kVynHostVersion
    Clock* (*currentClock)();
    int (*addClockChangeListener)(VynClockChanged changed, void* context);
    void (*removeClockChangeListener)(int id);
};

typedef void (*PFN_VynAttachHost)(const VynHost* host);
}

constexpr uint32_t kVynHostVersion = 1;
constexpr char kVynAttachHost[] = "VynAttachHost";

// The program's side: this program as a host.
const VynHost& ThisProgramAsHost();
// The library's side, what its VynAttachHost does. False, and nothing changes, for a record
// of another version or one too short.
bool AttachToHost(const VynHost* host);
