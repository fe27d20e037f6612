#pragma once
// The platform's window calls that the program makes, over the class library's forms. A
// window is a form's Handle() or the application's own window (Application->Handle()),
// which stands for the application as a whole and is the parent of the forms.
#include "platform/AnsiString.h"
#include "platform/Application.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <functional>

using UINT = unsigned;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

enum : UINT { WM_CLOSE = 0x0010, WM_CHAR = 0x0102, WM_SYSCOMMAND = 0x0112, WM_APP = 0x8000 };
enum : WPARAM { SC_MINIMIZE = 0xF020, SC_CLOSE = 0xF060, SC_RESTORE = 0xF120 };

// Runs on the UI thread and returns the answer: a form's messages go to its Dispatch; the
// application's window answers WM_SYSCOMMAND (SC_MINIMIZE, SC_RESTORE) and WM_CLOSE (closes
// the main form). 0 for a window that no longer exists.
LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Queued to the UI thread in order; false when the window does not exist.
bool PostMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
HWND GetParent(HWND window);  // forms: the application's window; that one: none
// SW_RESTORE on the application's window restores the application (firing OnRestore when
// it was minimised), SW_MINIMIZE minimises it; on a form these act on its window only.
bool ShowWindow(HWND window, int command);
bool SetForegroundWindow(HWND window);  // activates the form (the main form for the application)
bool BringWindowToTop(HWND window);
bool IsIconic(HWND window);  // the application or the form is minimised

// Each of ShowWindow, SetForegroundWindow and BringWindowToTop is reported here first
// (tests count the calls of a bring-to-front); empty to remove.
using WindowCallRecorder = std::function<void(const AnsiString& call, HWND window, int argument)>;
void SetWindowCallRecorder(WindowCallRecorder recorder);

struct TPoint {
    int x = 0;
    int y = 0;
};
// The cursor in screen pixels as of the last mouse event a form received (an offscreen
// display has no cursor to ask); tests may place it.
bool GetCursorPos(TPoint* point);
void SetCursorPos(int x, int y);
