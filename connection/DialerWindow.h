#pragma once
// The engine's steps that touch the main window or the application: each runs on the UI
// thread, and returns once done, whichever thread asks (the connected sequence asks from
// its own). Without a window (at start-up, before the main window links itself, and in
// tests) the window's steps are skipped.
#include "platform/AnsiString.h"

struct TDialerWindow {
    static void Repaint();
    static void SetPanel(int state);
    static void SetTrayHint(const AnsiString& hint);
    // The long-distance question; true (dial) when there is no window to ask.
    static bool ConfirmLongDistance();
    // Brings the application forward and asks whether to dial again after a dropped line.
    static bool AskReconnect();
    // Minimises the application, as WM_SYSCOMMAND / SC_MINIMIZE to its window does.
    static void MinimizeApplication();
};
