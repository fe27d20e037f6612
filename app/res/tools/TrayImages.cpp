#include "Palette.h"
#include "Pictures.h"

#include <QColor>

namespace art {
namespace {

// The emblem at tray size, drawn pixel by pixel so it stays crisp: the blue sphere with its
// white "v" and orange orbit. '.' is the mask colour.
const char* const kSphere[16] = {
    ".....KKKKKK.....", "...KKHHHHLLKK...", "..KHHHHHLLLLMK..", ".KHHWWHHLLWWMMK.",
    ".KHLLWWLLWWMMMK.", "KLLLLWWLLWWMMMDK", "KLLLMMWWWWMMMDDK", "KLLMMMMWWMMMMDDK",
    "KMMMMMMMMMMMMOOK", "KMMMMMMMMMOOODDK", "KMMMMOOOOODDDDDK", ".KOOOOMMMMDDDDK.",
    ".KDMMMMMMMDDDEK.", "..KDDMMMMDDDEK..", "...KKDDDDDEKK...", ".....KKKKKK.....",
};

// The new-mail envelope, laid over the lower right: k outline, w paper, f flap.
const char* const kEnvelope[7] = {
    "kkkkkkkkkk", "kkffffffkk", "kwkffffkwk", "kwwkffkwwk", "kwwwkkwwwk", "kwwwwwwwwk", "kkkkkkkkkk",
};

QColor Colour(char c) {
    switch (c) {
    case 'K': return QColor(0x0A, 0x2F, 0x6E);
    case 'H': return QColor(0x9E, 0xD8, 0xFF);
    case 'L': return QColor(0x4F, 0xA6, 0xF0);
    case 'M': return QColor(0x1E, 0x78, 0xD2);
    case 'D': return QColor(0x15, 0x56, 0xA8);
    case 'E': return QColor(0x0E, 0x3C, 0x80);
    case 'W': return QColor(0xFF, 0xFF, 0xFF);
    case 'O': return pal::kAccent;
    case 'k': return QColor(0x14, 0x2A, 0x4E);
    case 'w': return QColor(0xFF, 0xFF, 0xFF);
    case 'f': return QColor(0xFF, 0xE6, 0xA8);
    default: return pal::kMask;
    }
}

}  // namespace

QImage TrayImage(bool newMail) {
    QImage out(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) out.setPixel(x, y, Colour(kSphere[y][x]).rgb());
    if (newMail) {
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 10; ++col) out.setPixel(6 + col, 9 + row, Colour(kEnvelope[row][col]).rgb());
    }
    return out;
}

}  // namespace art
