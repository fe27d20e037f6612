#include "Frmbottombanner.h"

#include "app/Instance.h"
#include "app/Main.h"
#include "connection/Registravyn.h"

#include "platform/Application.h"
#include "platform/ShellApi.h"
#include "platform/qt/Screen.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/WinUser.h"

#include <algorithm>

TBanner* Banner = nullptr;

namespace {
// One banner per process.
int timeLeft = 0;  // ms; may go below 0
int mouseDownX = 0;
int mouseDownY = 0;
int bannerLeft = 0;
int bannerTop = 0;

constexpr int kLifeMs = 60000;
constexpr unsigned kTickMs = 200;
constexpr int kCorner = 15;  // the close corner: the last 15 columns, the top 16 rows
}  // namespace

int TBanner::TimeLeft() { return timeLeft; }

TBanner::TBanner(TComponent* Owner) : TForm(Owner) {
    SetName("Banner");
    SetBorderStyle(bsNone);
    SetBorderWidth(2);
    SetColor(clBtnFace);
    SetFormStyle(fsStayOnTop);
    SetClientSize(164, 135);
    TimerAnim = new TTimer(this);
    TimerAnim->SetEnabled(false);
    TimerAnim->OnTimer = [this](TObject* s) { TimerAnimTimer(s); };
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
    OnPaint = [this](TObject* s) { FormPaint(s); };
    OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseDown(s, b, sh, x, y); };
    OnClick = [this](TObject* s) { ImageClick(s); };
}

TBanner::~TBanner() = default;

void TBanner::FormCreate(TObject*) {
    SetCaption("VynBanner");
    clicked = false;
    bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromResourceName("BMPBNN");
    RegisterDialerPath("MirvaneRoaming.exe");
    bannerLeft = Screen->WorkAreaLeft() + Screen->WorkAreaWidth() - Width() - 1;
    bannerTop = Screen->WorkAreaTop() + 1;
    timeLeft = kLifeMs;
    SetBounds(bannerLeft, bannerTop, Width(), Height());
    TimerAnim->SetInterval(kTickMs);
    TimerAnim->SetEnabled(true);
}

void TBanner::FormDestroy(TObject*) { bitmap.reset(); }

void TBanner::FormPaint(TObject*) {
    if (bitmap) Canvas()->Draw(0, 0, *bitmap);
}

void TBanner::FormMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) {
    mouseDownX = X;
    mouseDownY = Y;
}

void TBanner::TimerAnimTimer(TObject*) {
    if (timeLeft > 0) {
        timeLeft -= static_cast<int>(TimerAnim->Interval());
        // Lifted above every other top-most window at each tick, never taking the focus.
        SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        return;
    }
    TimerAnim->SetEnabled(false);
    if (!clicked) ShellExecuteA(nullptr, "open", Application->ExeName(), "--minimized", "", SW_SHOWNORMAL);
    Application->Terminate();
}

void TBanner::ImageClick(TObject*) {
    if (mouseDownX >= ClientWidth() - kCorner && mouseDownY <= kCorner) {
        timeLeft = std::min(timeLeft, 100);
    } else {
        ActivateDialer();
        timeLeft = std::min(timeLeft, 200);
    }
    TimerAnim->SetEnabled(true);
}

void TBanner::ActivateDialer() {
    clicked = true;
    // Only asks whether the Corvala-line program runs: nothing stays open to keep its
    // name taken once it ends.
    if (InstanceRunning(kProgramTitle)) {
        Application->SetTitle("_");
        for (int i = 0; i < 3; ++i) NotifyRunningInstance(kProgramTitle);
    } else {
        ShellExecuteA(nullptr, "open", Application->ExeName(), "", "", SW_SHOWNORMAL);
    }
}
