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

// Where SetWindowPos puts a form in the z-order: top-most (above every window that is
// not) or not; HWND_TOP only raises it in its band.
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(std::intptr_t{-1});
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(std::intptr_t{-2});
enum : UINT { SWP_NOSIZE = 0x0001, SWP_NOMOVE = 0x0002, SWP_NOZORDER = 0x0004, SWP_NOACTIVATE = 0x0010 };
// Moves, sizes and stacks a form's window (the application's window: false); without
// SWP_NOACTIVATE the form is activated too. Reported to the recorder as "SetWindowPos
// TOPMOST", "... NOTOPMOST" or "... TOP" with the flags as its argument.
bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);

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
