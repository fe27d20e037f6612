#pragma once
// The class library's form: a top-level window with the events the program's windows bind
// (OnCreate, OnDestroy, OnShow, OnCloseQuery, OnKeyPress, the mouse, OnPaint), a logical
// Visible, modal showing, and a message dispatch of its own.
//
// Visible is the form's own flag, not the window's: OnShow fires only when it goes from
// false to true. Minimising and restoring the application hides and shows the window but
// leaves Visible (and OnShow) alone.
//
// A form belongs to the UI thread; from other threads use Invalidate, the window calls of
// WinUser.h, or RunOnUiThread. Every handler runs inside the handler boundary: an error
// escaping it is reported with Application->ShowException and goes no further.
#include "Controls.h"
#include "Graphics.h"
#include "WinUser.h"

#include <functional>
#include <memory>

enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = unsigned;
enum : TShiftState { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;  // Key = 0 swallows it
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

using TModalResult = int;
enum : TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7
};

// bsSingle, bsDialog and bsToolWindow windows keep the size they are given.
enum TFormBorderStyle { bsSizeable, bsNone, bsSingle, bsDialog, bsToolWindow };
using TBorderIcons = unsigned;
enum : TBorderIcons { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
// Where the window appears when it is shown: where it was put, or centred on the screen.
enum TPosition { poDesigned, poScreenCenter, poDesktopCenter };
// fsStayOnTop: the window starts top-most (above every window that is not).
enum TFormStyle { fsNormal, fsStayOnTop };

class TForm : public TControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;
    // Runs OnDestroy, then frees the form. (A plain delete frees it without OnDestroy.)
    void Free();

    AnsiString Caption() const;
    void SetCaption(const AnsiString& caption);
    TColor Color() const override { return color_; }
    void SetColor(TColor color) override;
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position);
    // The window's inside: Width x Height less the BorderWidth on each side (a form has no
    // frame of its own). Painting and mouse coordinates are the inside's.
    int ClientWidth() const { return Width() - 2 * borderWidth_; }
    int ClientHeight() const { return Height() - 2 * borderWidth_; }
    void SetClientSize(int width, int height) {
        SetBounds(Left(), Top(), width + 2 * borderWidth_, height + 2 * borderWidth_);
    }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);  // keeps the client size
    TFormStyle FormStyle() const { return topMost_ ? fsStayOnTop : fsNormal; }
    void SetFormStyle(TFormStyle style) { SetTopMost(style == fsStayOnTop); }
    // The window's top-most state (SetWindowPos). The window follows it once the running
    // handler has returned, so a drop and a lift in one handler only lift the window.
    bool TopMost() const { return topMost_; }
    void SetTopMost(bool topMost);
    // Brings the window above its band (the top-most ones or the others) without activating.
    void Raise();
    // The control that has the keyboard focus; null when none. Set while the form is hidden,
    // it takes the focus when the form is next shown (else the focus stays where it was
    // when the form was hidden, or goes to the first control in the Tab order).
    TControl* ActiveControl() const;
    void SetActiveControl(TControl* control);

    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override;

    // Shows the form modally until ModalResult is set (a button, the close box: mrCancel)
    // and returns it. The answer comes, in order, from a test's responder, the machine's
    // scripted answers, or the user (see AskModal in platform/Dialogs.h); after Terminate it
    // is mrCancel at once and nothing is shown.
    int ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result);
    // Asks OnCloseQuery; a modal form ends with mrCancel, the main form ends the
    // application, any other form hides.
    void Close();
    bool CloseQuery();

    // The form's message map: WM_CLOSE closes, WM_SYSCOMMAND minimises or restores the
    // application, WM_CHAR is a key typed on the form (OnKeyPress); everything else is left
    // alone. Forms override it for their own messages and pass the rest on.
    virtual void Dispatch(TMessage& message);
    HWND Handle() const { return handle_; }
    TCanvas* Canvas() const { return canvas_.get(); }

    // Keys reach OnKeyPress before the focused control. Enter not taken by a focused button
    // presses the Default button, Esc the Cancel button; either then goes no further.
    bool KeyPreview = false;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnPaint;
    TCloseQueryEvent OnCloseQuery;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    // OnClick (TControl's): a left press and release on the form, after OnMouseUp.

    // The layer's calls (the application runs OnCreate after the form is built and its
    // global pointer set; the window's events arrive here).
    void DoCreate();
    void DoDestroy();
    void DeliverKey(char& key);
    void DeliverMouse(int kind, TMouseButton button, TShiftState shift, int x, int y);
    void DeliverPaint();
    QImage& Backing();

protected:
    // What a modal answer names: the text the form asks (its name unless a form says more).
    virtual AnsiString ModalText() const { return Name(); }

private:
    void applyWindowFlags();
    void placeOnScreen();
    void focusFirstControl();
    void applyTopMost();

    bool visible_ = false;
    bool modal_ = false;
    TControl* pendingFocus_ = nullptr;  // one of this form's controls
    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TPosition position_ = poDesigned;
    bool destroyed_ = false;
    bool painting_ = false;
    TModalResult modalResult_ = mrNone;
    TColor color_ = clBtnFace;
    int borderWidth_ = 0;
    bool topMost_ = false;
    bool topMostQueued_ = false;
    HWND handle_;
    std::unique_ptr<QImage> backing_;
    std::unique_ptr<TCanvas> canvas_;
};
