#pragma once
// Windows 9x shows the dial-up line's speed as the dial-up adapter's "ConnectSpeed"
// performance counter in HKEY_DYN_DATA; the service publishes it there on those machines.
#include "platform/WinTypes.h"

void PublishPerfStatsSpeed(DWORD bitsPerSecond);
