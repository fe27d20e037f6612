#pragma once
// The running instance of a program: what a second start sends it.
#include "platform/AnsiString.h"

// Tells the instance running under `windowTitle` to come forward (WM_ACTIVATEINSTANCE).
// Nothing waits for it; when no instance runs nothing is sent.
void NotifyRunningInstance(const AnsiString& windowTitle);
