// The artwork's colours, in one place so the windows' labels and memo can match them.
#pragma once
#include <QColor>

namespace art::pal {

// Body of the skin: deep blue, lighter at the top.
inline const QColor kBodyTop{0x2B, 0x5F, 0x9E};
inline const QColor kBodyMid{0x17, 0x40, 0x75};
inline const QColor kBodyBottom{0x0B, 0x24, 0x4A};
// Outline rim: a dark edge and a cool highlight inside it.
inline const QColor kRimDark{0x06, 0x13, 0x27};
inline const QColor kRimLight{0xA8, 0xC6, 0xE8};
// Brushed silver of the emblem ring and the small keys.
inline const QColor kSilverLight{0xF2, 0xF5, 0xF9};
inline const QColor kSilverMid{0xB9, 0xC6, 0xD6};
inline const QColor kSilverDark{0x6A, 0x7D, 0x96};
inline const QColor kGlyph{0x1A, 0x33, 0x5C};
// Brand accent (the emblem's swoosh, small highlights).
inline const QColor kAccent{0xF5, 0x8A, 0x1F};
inline const QColor kAccentLight{0xFF, 0xC2, 0x5A};
// Emblem sphere.
inline const QColor kSphereLight{0x6F, 0xC3, 0xFF};
inline const QColor kSphereMid{0x1E, 0x78, 0xD2};
inline const QColor kSphereDark{0x0A, 0x2F, 0x6E};
// Status display under the memo: flat, so a memo of this colour blends in.
inline const QColor kDisplay{0x0C, 0x21, 0x38};
inline const QColor kDisplayText{0xCF, 0xE8, 0xFF};
inline const QColor kDisplayAccent{0x7F, 0xD3, 0xFF};
// Light text on the body (captions), and a dimmer one for secondary text.
inline const QColor kCaption{0xE6, 0xF0, 0xFB};
inline const QColor kCaptionDim{0x9F, 0xBC, 0xDD};
// Connect (green) and disconnect (red) buttons.
inline const QColor kGoTop{0x5C, 0xC4, 0x6E};
inline const QColor kGoBottom{0x16, 0x7A, 0x31};
inline const QColor kGoHoverTop{0x7F, 0xE8, 0x8A};
inline const QColor kGoHoverBottom{0x1F, 0xA0, 0x40};
inline const QColor kStopTop{0xE8, 0x60, 0x4F};
inline const QColor kStopBottom{0x9A, 0x1D, 0x16};
inline const QColor kStopHoverTop{0xFF, 0x84, 0x6C};
inline const QColor kStopHoverBottom{0xC8, 0x2C, 0x1F};
// The mask colour of the tray images.
inline const QColor kMask{0x00, 0xFF, 0x00};

}  // namespace art::pal
