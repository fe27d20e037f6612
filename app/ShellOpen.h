#pragma once
// The shell's "open" as the windows use it: no owner, no parameters, no folder, shown
// normally.
#include "platform/AnsiString.h"

#include <cstdint>

// The platform's result: above 32 when it started.
intptr_t ShellOpen(const AnsiString& target);
