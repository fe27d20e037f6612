// Window outline and hot zones of the two main windows, as the forms build their regions.
#pragma once
#include <QPolygon>
#include <QRect>
#include <QRegion>

namespace art {

constexpr int kSkinWidth = 514;
constexpr int kSkinHeight = 289;

// The Corvala-line window's outline (79 points) and the conventional-line one (80 points).
QPolygon MainOutline();
QPolygon RoamingOutline();

// The region the window system keeps: even-odd fill, as the forms make it.
QRegion OutlineRegion(const QPolygon& outline);

QPolygon InertZone();
QPolygon CloseZone();     // first minimise zone, marked with an x
QPolygon MinimiseZone();  // second minimise zone, marked with a dash
QPolygon HelpZone();
QPolygon ConnectZone();
QPolygon LineZone();      // the other edition's start, bottom left
QPolygon SettingsZone();  // conventional-line window only
QPolygon NewUserZone();   // conventional-line window only

// Places the forms fix.
constexpr QRect kMemoRect{190, 159, 201, 81};
constexpr QPoint kButtonPos{222, 256};
constexpr QSize kButtonSize{155, 25};
constexpr QPoint kSettingsHoverPos{233, 73};
constexpr QSize kSettingsHoverSize{92, 34};
constexpr QPoint kNewUserHoverPos{344, 93};
constexpr QSize kNewUserHoverSize{59, 34};

// The emblem's circle (inside the inert zone) and the ring the outline follows around it.
constexpr QPointF kEmblemCentre{91.0, 86.0};
constexpr double kEmblemRadius = 57.0;
constexpr QPointF kRingCentre{90.0, 90.0};
constexpr double kRingRadius = 88.0;

}  // namespace art
