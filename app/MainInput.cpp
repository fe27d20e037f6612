// The main window's painting, mouse and keys. The mouse handlers take the cursor's screen
// position and the window's own, not the coordinates of the event.
#include "Main.h"

#include "connection/Dialer.h"

bool TMainForm::Connecting() { return Dialer && (Dialer->IsConnected() || Dialer->IsDialing()); }

const TBitmap& TMainForm::ButtonPicture() const {
    if (Connecting()) return overButton ? *BMPDESON : *BMPDESOFF;
    return overButton ? *BMPCONON : *BMPCONOFF;
}

void TMainForm::FormPaint(TObject*) {
    if (!BMP1) return;  // not loaded yet, or freed already
    Canvas()->Draw(0, 0, *BMP1);
    Canvas()->Draw(kButtonLeft, kButtonTop, ButtonPicture());
}

TPoint TMainForm::CursorPoint() const {
    TPoint p;
    GetCursorPos(&p);
    return {p.x - Left(), p.y - Top()};
}

void TMainForm::FormMouseDown(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button != mbLeft) return;
    TPoint p = CursorPoint();
    if (skin->ZoneAt(p.x, p.y) != szNone) return;
    dragging = true;
    dragOriginX = p.x;
    dragOriginY = p.y;
}

bool TMainForm::dragTo() {
    if (!dragging) return false;
    TPoint screen;
    GetCursorPos(&screen);
    SetBounds(screen.x - dragOriginX, screen.y - dragOriginY, Width(), Height());
    return true;
}

void TMainForm::FormMouseMove(TObject*, TShiftState, int, int) {
    if (dragTo()) return;
    TPoint p = CursorPoint();
    bool wasOver = overButton;
    TSkinZone zone = skin->ZoneAt(p.x, p.y);
    overButton = zone == szConnect;
    SetCursor(zone != szNone ? crHandPoint : crDefault);
    // Only crossing the button's border redraws it, and at once.
    if (overButton != wasOver && BMP1) Canvas()->Draw(kButtonLeft, kButtonTop, ButtonPicture());
}

void TMainForm::FormMouseUp(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button != mbLeft) return;
    if (dragging) {
        // The release that ends a drag never counts as a click.
        dragging = false;
        return;
    }
    TPoint p = CursorPoint();
    ZoneCommand(skin->ZoneAt(p.x, p.y));
}

void TMainForm::ZoneCommand(TSkinZone zone) {
    switch (zone) {
    case szMinimise: MinimiseCommand(); break;
    case szHelp: HelpCommand(); break;
    case szConnect: ConnectCommand(); break;
    case szOtherEdition: OtherEditionCommand(); break;
    default: break;
    }
}

void TMainForm::FormKeyPress(TObject*, char& Key) {
    if (Key == 13) {
        Key = 0;
        if (state == 1) LabelDialDiscarClick(this);
    } else if (Key == 27) {
        if (state == 3) Label11Click(this);
        else if (state == 4) SetPanel(1);
    }
}
