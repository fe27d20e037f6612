#pragma once
// The shape of the skinned main window: its outline and the hot zones drawn on the skin,
// each a polygon made into an even-odd region. A zone test takes the zones in the order
// they were given, so where zones overlap the earlier one wins.
#include "platform/qt/WinGdi.h"
#include "platform/qt/WinUser.h"

#include <vector>

// What a zone of the skin does when clicked.
enum TSkinZone {
    szNone,          // no zone: the window can be dragged there
    szInert,         // the emblem: a hand cursor, nothing else
    szMinimise,      // the "x" and the "-": into the tray
    szHelp,          // the "?": the help page
    szConnect,       // the button: connect or hang up
    szOtherEdition,  // the caption of the other edition's start
    szSettings,      // the conventional-line skin's settings zone
    szNewUser,       // the conventional-line skin's new-user zone
};

struct TZoneShape {
    TSkinZone zone;
    std::vector<TPoint> points;
};

class TSkinRegions {
public:
    TSkinRegions(const std::vector<TPoint>& outline, const std::vector<TZoneShape>& zones);
    ~TSkinRegions();
    TSkinRegions(const TSkinRegions&) = delete;
    TSkinRegions& operator=(const TSkinRegions&) = delete;

    // The zone under (x, y) in window coordinates: the first in the given order that holds
    // the point; szNone when none does.
    TSkinZone ZoneAt(int x, int y) const;
    // A new region of the outline, for the window to take (SetWindowRgn owns it then).
    HRGN NewWindowShape() const;
    bool InOutline(int x, int y) const;

private:
    std::vector<TPoint> outline_;
    HRGN shape_ = nullptr;
    std::vector<std::pair<TSkinZone, HRGN>> zones_;
};

// Mirvane's skin: the 79-point outline and its six zones (the emblem, the two minimise
// marks, help, the connect button and the conventional-line caption).
const std::vector<TPoint>& CorvalaOutline();
const std::vector<TZoneShape>& CorvalaZones();

// Where Mirvane's skin puts its pictures.
constexpr int kSkinWidth = 514;
constexpr int kSkinHeight = 289;
constexpr int kButtonLeft = 222;
constexpr int kButtonTop = 256;
