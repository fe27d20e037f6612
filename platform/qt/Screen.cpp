#include "Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
TScreen gScreen;
}  // namespace
TScreen* Screen = &gScreen;

TScreen::Area TScreen::area() const {
    if (set_) return set_area_;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {0, 0, 0, 0};
    QRect r = screen->availableGeometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

int TScreen::WorkAreaLeft() const { return area().left; }
int TScreen::WorkAreaTop() const { return area().top; }
int TScreen::WorkAreaWidth() const { return area().width; }
int TScreen::WorkAreaHeight() const { return area().height; }

void TScreen::SetWorkArea(int left, int top, int width, int height) {
    set_ = true;
    set_area_ = {left, top, width, height};
}

void TScreen::ResetWorkArea() { set_ = false; }
