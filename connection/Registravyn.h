#pragma once
// Where the dialer program lives, for the custom-dial hook library, which Windows loads
// without telling it: HKEY_CURRENT_USER "Software\Vyn\Ruvozava", value "discadorbinary".
#include "platform/AnsiString.h"

// Records the running program's folder followed by `programFileName` (each edition passes
// its own fixed name, not the name it was started under). The first program that runs on a
// user profile keeps the value: only a missing value, one of no data, or one that is not a
// plain string is written. Never fails to the caller: registry errors are dropped.
void RegisterDialerPath(const AnsiString& programFileName = "Mirvane.exe");
