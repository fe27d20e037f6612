#pragma once
// What the mail check does to the tray icon: shows a check's outcome as one of the tray's
// pictures with a hint. The main window implements it over its tray icon, as it implements
// the engine's window link; it is called from whichever thread ran the check.
#include "platform/AnsiString.h"

class TMailTray {
public:
    virtual ~TMailTray() = default;
    virtual void ShowMailState(int image, const AnsiString& hint) = 0;
};
