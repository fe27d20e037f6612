#pragma once
// What every visible piece of a window shares: a component with a Qt widget behind it. The
// concrete controls (labels, edits, ...) derive from it and hand it their widget. The
// widget's objectName is the component's name, so tests find controls by name.
//
// Placement follows the class library: Left/Top are relative to the parent control; Align
// docks a control to a side of its parent (or fills what is left), in the order top,
// bottom, left, right, client; Anchors on the right or bottom keep that distance to the
// parent's edge when the parent changes size. Color and Font left alone come from the
// parent.
#include "platform/Component.h"
#include "Graphics.h"

#include <memory>

class QWidget;

enum TCursor : int { crDefault = 0, crArrow = -2, crHandPoint = -21 };
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
using TAnchors = unsigned;
enum : TAnchors { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

class TControl : public TComponent {
public:
    ~TControl() override;

    void SetName(const AnsiString& name) override;
    virtual bool Visible() const;
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
    void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
    void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
    void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }
    bool Enabled() const;
    void SetEnabled(bool enabled);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    // Marks the control for repainting; from any thread (the repaint happens later, on the
    // UI thread).
    void Invalidate();
    // Places the widget on another control (a form, a panel); the owner's by default.
    void SetParent(TControl* parent);
    TControl* Parent() const;  // the control the widget sits on; null for a window

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);

    // clDefault: the parent's colour shows through.
    virtual TColor Color() const { return color_; }
    virtual void SetColor(TColor color);
    TFont* Font() const { return font_.get(); }

    // Keyboard focus. SetFocus never raises: a control that cannot take it (hidden, disabled,
    // or not a focusable kind) is left alone, except that one hidden only by its window
    // takes the focus when the window shows.
    bool CanFocus() const;
    bool Focused() const;
    void SetFocus();
    // Position among its siblings in the Tab order (set in order 0, 1, 2, ...).
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);
    bool TabStop() const;
    void SetTabStop(bool stop);

    QWidget* Widget() const;

    TNotifyEvent OnClick;
    virtual void Click();  // OnClick, inside the handler boundary

    // The layer's: the control whose widget `w` is (null when none), and the placement of
    // the aligned and anchored controls on `parent` after it changed size.
    static TControl* ControlOf(const QWidget* w);
    static void Realign(QWidget* parent);
    // The control widget Tab moves to from `from` in `window` (the first one when `from` is
    // none of them); null when nothing there takes the focus.
    static QWidget* NextTabStop(QWidget* window, QWidget* from, bool forward);

protected:
    // Expires when the control is freed (a handler may free it while the layer still
    // has things to do for it).
    std::weak_ptr<const void> Life() const { return d_; }
    // `widget` becomes the control's; it goes onto the owner's widget when the owner is a
    // control and `topLevel` is false.
    TControl(TComponent* owner, QWidget* widget, bool topLevel = false);
    // How a kind of control shows its colour (the default paints the widget's background).
    virtual void ApplyColor(TColor color);
    // Re-applies the font (after a change, or when the parent changed), then FontChanged.
    void ApplyFont();
    virtual void FontChanged() {}

private:
    void noteAnchors();
    void realignParent();

    struct Impl;
    std::shared_ptr<Impl> d_;
    bool visible_ = true;
    TCursor cursor_ = crDefault;
    TAlign align_ = alNone;
    TAnchors anchors_ = akLeft | akTop;
    int anchorRight_ = 0;   // distance to the parent's right edge, kept by akRight
    int anchorBottom_ = 0;  // and to its bottom, kept by akBottom
    int tabOrder_ = -1;
    TColor color_ = clDefault;
    std::unique_ptr<TFont> font_;
};
