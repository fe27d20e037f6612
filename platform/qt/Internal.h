#pragma once
// What the layer's own units tell one another; not for users of the layer. Each function
// lives in the unit named beside it.
#include "platform/Application.h"

#include <QImage>

#include <functional>

struct MessageBoxRequest;
class QKeyEvent;
class QObject;
class QWidget;
class TForm;

namespace classlib {
// Delivery.cpp: no Qt object of the layer is freed while an event to it is being delivered,
// since a handler that frees it (or runs a nested loop) returns into Qt's code for it.
// Every event passes through a DeliveryScope (the application's notify).
class DeliveryScope {
public:
    explicit DeliveryScope(const QObject* receiver);
    ~DeliveryScope();
    DeliveryScope(const DeliveryScope&) = delete;
    DeliveryScope& operator=(const DeliveryScope&) = delete;
};
// Frees `object` now; or, while an event to it, to something it owns or to its window is
// being delivered, hides it and frees it once the outermost such delivery has returned.
void Dispose(QObject* object);
// True while an event is being delivered on this thread: a loop run now is nested in a
// handler, and must not force Qt's deferred deletes.
bool Delivering();

// WinUser.cpp: window handles and the cursor.
HWND NewWindowHandle(TForm* form);
void FreeWindowHandle(HWND window);
HWND ApplicationHandle();
void NoteCursorPos(int x, int y);
TForm* FormOfHandle(HWND window);  // null for the application's window or one that is gone

// WinGdi.cpp: frees the region a window was cut to (the window is going).
void ForgetWindowRegion(HWND window);

// Rows drawn at a time: Qt blends a taller picture on helper threads, and painting belongs
// to the UI thread alone.
constexpr int kPaintBand = 32;

// Graphics.cpp: a new image whose memory the system hands over in one step, rather than a
// page at a time as the first drawing touches it (a window's backing is a large one).
QImage PrefaultedImage(QSize size, QImage::Format format);

// Forms.cpp
TForm* FormOfWidget(QWidget* widget);  // the form whose window `widget` is, else null
char KeyChar(const QKeyEvent* event);  // the character a key gives (13 Enter, 27 Esc), 0 none
// True while a key sent to a control inside a form travels; the form's own window then
// leaves it alone (it had it first through KeyPreview, or the control had it).
bool KeyFromControl();
// Delivers a key meant for a control inside a form (`deliver` sends it on), after the
// form's KeyPreview has seen it; false when `receiver` is no such control. `result` is
// what delivery gave, true when the form swallowed the key.
bool PreviewControlKey(QWidget* receiver, QKeyEvent* event, const std::function<bool()>& deliver, bool& result);

// StdCtrls.cpp: presses the Default (Enter, 13) or Cancel (Esc, 27) button of the form
// whose window is `form`; false when it has none that can take it.
bool DialogKey(QWidget* form, char key);

// Trayicon.cpp: a shown tray icon that hides the application when it is minimised.
bool TrayTakesMinimisedApplication();

// QtMessageBox.cpp: the real box, on the UI thread, whatever thread asks; and the box
// itself, on this thread.
int PresentMessageBox(const MessageBoxRequest& request);
int ShowMessageBox(const MessageBoxRequest& request);

// SingleInstance.cpp: gives up the titles this process holds (before Qt goes).
void CloseInstances();

// QtBackend.cpp
bool ApplicationMinimised();
void FreeDeferred();         // what loops call after each round
void FormGone(TForm* form);  // a form the application held is being freed
}  // namespace classlib
