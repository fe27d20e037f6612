#pragma once
// One running instance per user and title, in place of the platform's named mutex, window
// search and posted message. AcquireInstance takes the title for the life of the process,
// atomically (of two processes asking at the same moment exactly one gets it); the kernel
// gives it up when the process ends, however it ends. The holder listens: what another
// process sends with PostToInstance reaches its main form's Dispatch on the UI thread
// (dropped while it has no main form). The names live under the simulated machine's
// directory, so separate machines (and tests running side by side) never meet.
#include "WinUser.h"

// True when this process now holds `title` (or already did); false when another does.
bool AcquireInstance(const AnsiString& title);
// Whether some process (this one included) holds `title`; asking keeps nothing open.
bool InstanceRunning(const AnsiString& title);
// Gives the title up before the process ends.
void ReleaseInstance(const AnsiString& title);
// Delivers (msg, wParam, lParam) to the process holding `title` and returns once it is on
// its way, without waiting for it to be handled; false when no process holds the title.
bool PostToInstance(const AnsiString& title, UINT msg, WPARAM wParam, LPARAM lParam);
