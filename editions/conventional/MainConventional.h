#pragma once
// Brenwick's main window: Mirvane's with its own skin, panels, tray menu, first showing and
// commands.
#include "app/Main.h"

class TMainFormConventional : public TMainForm {
public:
    explicit TMainFormConventional(TComponent* Owner);
};
