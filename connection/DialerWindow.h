#pragma once
// The engine's steps that touch the main window or the application: each runs on the UI
// thread, and returns once done, whichever thread asks (the connected sequence asks from
// its own).
#include "platform/AnsiString.h"

class TWindowLink;

class TDialerWindow {
public:
    // `link` is the main window; null where there is none (tests of the engine alone, or an
    // engine made before its window): then the window's steps are skipped and the
    // long-distance question is taken as answered yes.
    explicit TDialerWindow(TWindowLink* link);

    void Repaint() const;
    void SetPanel(int state) const;
    void SetTrayHint(const AnsiString& hint) const;
    bool ConfirmLongDistance() const;
    // Brings the application forward and asks whether to dial again after a dropped line.
    bool AskReconnect() const;
    // Minimises the application, as WM_SYSCOMMAND / SC_MINIMIZE to its window does.
    static void MinimizeApplication();

private:
    TWindowLink& link_;
};
