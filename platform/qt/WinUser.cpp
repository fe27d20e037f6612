#include "WinUser.h"

#include "Forms.h"
#include "Internal.h"
#include "platform/UiThread.h"

#include <QWidget>

#include <mutex>
#include <set>

struct HWND__ {
    TForm* form;  // null: the application's window
};

namespace {
std::mutex gMutex;
std::set<HWND> gWindows;
HWND__ gApplicationWindow{nullptr};
WindowCallRecorder gRecorder;
TPoint gCursor;

bool exists(HWND w) {
    std::lock_guard lock(gMutex);
    return w == &gApplicationWindow || gWindows.count(w) > 0;
}

void record(const char* call, HWND w, int argument) {
    WindowCallRecorder r;
    {
        std::lock_guard lock(gMutex);
        r = gRecorder;
    }
    if (r) r(call, w, argument);
}

QWidget* widgetOf(HWND w) {
    TForm* form = w->form ? w->form : Application->MainForm();
    return form ? form->Widget() : nullptr;
}

LRESULT deliver(HWND w, TMessage m) {
    if (!exists(w)) return 0;
    if (w->form) {
        RunHandler([&] { w->form->Dispatch(m); });
        return m.Result;
    }
    if (m.Msg == WM_SYSCOMMAND) {
        WPARAM command = m.WParam & 0xFFF0;
        if (command == SC_MINIMIZE) Application->Minimize();
        else if (command == SC_RESTORE) Application->Restore();
    } else if (m.Msg == WM_CLOSE) {
        if (TForm* main = Application->MainForm()) RunHandler([main] { main->Close(); });
    }
    return 0;
}
}  // namespace

namespace classlib {
HWND NewWindowHandle(TForm* form) {
    HWND w = new HWND__{form};
    std::lock_guard lock(gMutex);
    gWindows.insert(w);
    return w;
}

void FreeWindowHandle(HWND w) {
    ForgetWindowRegion(w);
    {
        std::lock_guard lock(gMutex);
        gWindows.erase(w);
    }
    delete w;
}

HWND ApplicationHandle() { return &gApplicationWindow; }

TForm* FormOfHandle(HWND w) { return exists(w) ? w->form : nullptr; }

void NoteCursorPos(int x, int y) {
    std::lock_guard lock(gMutex);
    gCursor = {x, y};
}
}  // namespace classlib

LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallOnUiThread([&] { return deliver(window, {msg, wParam, lParam, 0}); });
}

bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!exists(window)) return false;
    QueueOnUiThread([=] { deliver(window, {msg, wParam, lParam, 0}); });
    return true;
}

HWND GetParent(HWND window) {
    if (!exists(window) || !window->form) return nullptr;
    return &gApplicationWindow;
}

bool ShowWindow(HWND window, int command) {
    record("ShowWindow", window, command);
    return CallOnUiThread([&] {
        if (!exists(window)) return false;
        if (!window->form) {
            if (command == SW_RESTORE || command == SW_SHOWNORMAL) Application->Restore();
            else if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) Application->Minimize();
            return true;
        }
        QWidget* w = window->form->Widget();
        switch (command) {
        case SW_HIDE: w->hide(); break;
        case SW_SHOW: w->show(); break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED: w->showMinimized(); break;
        default: w->showNormal(); break;
        }
        return true;
    });
}

bool SetForegroundWindow(HWND window) {
    record("SetForegroundWindow", window, 0);
    return CallOnUiThread([&] {
        if (!exists(window)) return false;
        QWidget* w = widgetOf(window);
        if (!w || !w->isVisible()) return false;
        w->activateWindow();
        return true;
    });
}

bool BringWindowToTop(HWND window) {
    record("BringWindowToTop", window, 0);
    return CallOnUiThread([&] {
        if (!exists(window)) return false;
        QWidget* w = widgetOf(window);
        if (!w || !w->isVisible()) return false;
        w->raise();
        return true;
    });
}

bool IsIconic(HWND window) {
    return CallOnUiThread([&] {
        if (!exists(window)) return false;
        if (!window->form) return classlib::ApplicationMinimised();
        return window->form->Widget()->isMinimized() || (window->form->Visible() && classlib::ApplicationMinimised());
    });
}

bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    const char* call = insertAfter == HWND_TOPMOST     ? "SetWindowPos TOPMOST"
                       : insertAfter == HWND_NOTOPMOST ? "SetWindowPos NOTOPMOST"
                                                       : "SetWindowPos TOP";
    record(call, window, static_cast<int>(flags));
    return CallOnUiThread([&] {
        TForm* form = classlib::FormOfHandle(window);
        if (!form) return false;
        if (!(flags & SWP_NOMOVE)) form->SetBounds(x, y, form->Width(), form->Height());
        if (!(flags & SWP_NOSIZE)) form->SetBounds(form->Left(), form->Top(), cx, cy);
        if (!(flags & SWP_NOZORDER)) {
            if (insertAfter == HWND_TOPMOST) form->SetTopMost(true);
            else if (insertAfter == HWND_NOTOPMOST) form->SetTopMost(false);
            form->Raise();
        }
        if (!(flags & SWP_NOACTIVATE) && form->Widget()->isVisible()) form->Widget()->activateWindow();
        return true;
    });
}

void SetWindowCallRecorder(WindowCallRecorder recorder) {
    std::lock_guard lock(gMutex);
    gRecorder = std::move(recorder);
}

bool GetCursorPos(TPoint* point) {
    if (!point) return false;
    std::lock_guard lock(gMutex);
    *point = gCursor;
    return true;
}

void SetCursorPos(int x, int y) { classlib::NoteCursorPos(x, y); }
