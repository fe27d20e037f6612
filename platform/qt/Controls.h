#pragma once
// What every visible piece of a window shares: a component with a Qt widget behind it. The
// concrete controls (labels, edits, ...) derive from it and hand it their widget. The
// widget's objectName is the component's name, so tests find controls by name.
#include "Component.h"

#include <memory>

class QWidget;

enum TCursor : int { crDefault = 0, crArrow = -2, crHandPoint = -21 };

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

    QWidget* Widget() const;

    TNotifyEvent OnClick;
    void Click();  // OnClick, inside the handler boundary

protected:
    // `widget` becomes the control's; it goes onto the owner's widget when the owner is a
    // control and `topLevel` is false.
    TControl(TComponent* owner, QWidget* widget, bool topLevel = false);

private:
    struct Impl;
    std::shared_ptr<Impl> d_;
    bool visible_ = true;
    TCursor cursor_ = crDefault;
};
