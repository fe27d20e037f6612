#pragma once
// What the engine asks of the main window. The window implements it, installs itself in
// `WindowLink` while it lives, and hands itself to the engine it makes. Every call is made
// on the UI thread.
#include "platform/AnsiString.h"

class TWindowLink {
public:
    virtual ~TWindowLink() = default;
    virtual void Repaint() = 0;            // the window draws itself by the engine's flags
    virtual void SetPanel(int state) = 0;  // 1 login, 3 dialing and status, 4 welcome
    virtual void SetTrayHint(const AnsiString& hint) = 0;
    virtual bool ConfirmLongDistance() = 0;  // the long-distance question: true = dial
    virtual void BringToFront() = 0;         // before a question of the engine's
};

extern TWindowLink* WindowLink;
