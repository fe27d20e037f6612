#include "WinGdi.h"

#include "Forms.h"
#include "Internal.h"
#include "platform/UiThread.h"

#include <QPolygon>
#include <QRegion>
#include <QWidget>

#include <map>
#include <mutex>

struct HRGN__ {
    QRegion region;
};

namespace {
std::mutex gMutex;
std::map<HWND, HRGN> gWindowRegions;  // regions the windows own
}  // namespace

HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode) {
    if (!points || count < 3) return nullptr;
    QPolygon polygon;
    for (int i = 0; i < count; ++i) polygon << QPoint(points[i].x, points[i].y);
    return new HRGN__{QRegion(polygon, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill)};
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return new HRGN__{QRegion(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)))};
}

bool PtInRegion(HRGN region, int x, int y) { return region && region->region.contains(QPoint(x, y)); }

bool DeleteObject(HRGN region) {
    if (!region) return false;
    delete region;
    return true;
}

int SetWindowRgn(HWND window, HRGN region, bool redraw) {
    return CallOnUiThread([&] {
        TForm* form = classlib::FormOfHandle(window);
        if (!form) return 0;
        if (region) form->Widget()->setMask(region->region);
        else form->Widget()->clearMask();
        if (redraw) form->Widget()->update();
        HRGN before = nullptr;
        {
            std::lock_guard lock(gMutex);
            HRGN& held = gWindowRegions[window];
            before = held;
            held = region;
            if (!region) gWindowRegions.erase(window);
        }
        if (before != region) delete before;
        return 1;
    });
}

void classlib::ForgetWindowRegion(HWND window) {
    HRGN held = nullptr;
    {
        std::lock_guard lock(gMutex);
        auto it = gWindowRegions.find(window);
        if (it == gWindowRegions.end()) return;
        held = it->second;
        gWindowRegions.erase(it);
    }
    delete held;
}
