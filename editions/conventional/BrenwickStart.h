#pragma once
// Brenwick's start: its names and forms for the shared program start. "--banner" as the
// first parameter (exactly) makes only the banner, under a name of its own, so a banner and
// the dialer can run side by side.
#include "app/Start.h"

inline const AnsiString kBrenwickTitle = "MirvaneRoaming.exe";
inline const AnsiString kBannerTitle = "VynBanner";

TProgramStart BrenwickStart(const AnsiString& firstParameter);
