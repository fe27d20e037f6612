#include "Controls.h"

#include "Forms.h"

#include "Internal.h"
#include "QtText.h"
#include "platform/Application.h"
#include "platform/UiThread.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace {
const char* const kControlProperty = "vynControl";

// The forms name the fonts of the platform they were drawn on; these stand in for them. The
// platform's sans fonts are narrow for their height: a condensed face one pixel smaller
// sets the forms' texts in about the room they were laid out for.
struct StandIn {
    QString family;
    int pixelDelta;
};

StandIn standInFor(const AnsiString& name) {
    AnsiString n = UpperCase(name);
    if (n == "MS SANS SERIF" || n == "TAHOMA" || n == "ARIAL" || n == "VERDANA" || n == "MS SHELL DLG")
        return {QStringLiteral("DejaVu Sans Condensed"), -1};
    if (n == "COURIER NEW" || n == "COURIER") return {QStringLiteral("DejaVu Sans Mono"), 0};
    if (n == "TIMES NEW ROMAN") return {QStringLiteral("DejaVu Serif"), 0};
    return {ToQString(name), 0};
}

// The font name in force for `w`: its control's own, else its nearest parent's.
AnsiString fontNameOf(const QWidget* w) {
    for (; w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (const TControl* c = TControl::ControlOf(w); c && !c->Font()->Name().empty()) return c->Font()->Name();
    return {};
}

// Places a control's children again whenever the control changes size (also when the user
// resizes a window).
class ResizeWatch : public QObject {
public:
    explicit ResizeWatch(QWidget* w) : QObject(w) { w->installEventFilter(this); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Resize) TControl::Realign(static_cast<QWidget*>(o));
        return false;
    }
};
}  // namespace

struct TControl::Impl {
    QPointer<QWidget> widget;
    Qt::FocusPolicy focusPolicy = Qt::NoFocus;  // the kind's own, for TabStop
};

TControl::TControl(TComponent* owner, QWidget* widget, bool topLevel)
    : TComponent(owner), d_(std::make_shared<Impl>()), font_(std::make_unique<TFont>()) {
    d_->widget = widget;
    d_->focusPolicy = widget->focusPolicy();
    widget->setProperty(kControlProperty, QVariant::fromValue(static_cast<void*>(this)));
    new ResizeWatch(widget);
    if (!topLevel && !widget->parentWidget())
        if (auto* parent = dynamic_cast<TControl*>(owner)) widget->setParent(parent->Widget());
    font_->OnChange = [this] { ApplyFont(); };
}

TControl::~TControl() {
    // Owned controls first: their widgets sit on this one.
    DestroyComponents();
    if (d_->widget) {
        d_->widget->setProperty(kControlProperty, QVariant());
        classlib::Dispose(d_->widget.data());
    }
}

TControl* TControl::ControlOf(const QWidget* w) {
    if (!w) return nullptr;
    QVariant v = w->property(kControlProperty);
    return v.isValid() ? static_cast<TControl*>(v.value<void*>()) : nullptr;
}

void TControl::SetName(const AnsiString& name) {
    TComponent::SetName(name);
    if (d_->widget) d_->widget->setObjectName(ToQString(name));
}

bool TControl::Visible() const { return visible_; }

void TControl::SetVisible(bool visible) {
    visible_ = visible;
    if (d_->widget) d_->widget->setVisible(visible);
    if (align_ != alNone) realignParent();
}

int TControl::Left() const { return d_->widget ? d_->widget->x() : 0; }
int TControl::Top() const { return d_->widget ? d_->widget->y() : 0; }
int TControl::Width() const { return d_->widget ? d_->widget->width() : 0; }
int TControl::Height() const { return d_->widget ? d_->widget->height() : 0; }

void TControl::SetBounds(int left, int top, int width, int height) {
    QWidget* w = d_->widget;
    if (!w) return;
    // A window of fixed size takes the new size as its fixed size.
    if (w->isWindow() && w->minimumSize() == w->maximumSize() && w->minimumSize() != QSize(0, 0))
        w->setFixedSize(width, height);
    w->move(left, top);
    w->resize(width, height);
    noteAnchors();
    Realign(w);
    if (align_ != alNone) realignParent();
}

bool TControl::Enabled() const { return d_->widget && d_->widget->isEnabled(); }

void TControl::SetEnabled(bool enabled) {
    if (d_->widget) d_->widget->setEnabled(enabled);
}

void TControl::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    if (!d_->widget) return;
    if (cursor == crHandPoint) d_->widget->setCursor(Qt::PointingHandCursor);
    else if (cursor == crArrow) d_->widget->setCursor(Qt::ArrowCursor);
    else d_->widget->unsetCursor();
}

void TControl::Invalidate() {
    std::weak_ptr<Impl> weak = d_;
    QueueOnUiThread([weak] {
        if (auto d = weak.lock(); d && d->widget) d->widget->update();
    });
}

void TControl::SetParent(TControl* parent) {
    if (!d_->widget) return;
    QWidget* before = d_->widget->parentWidget();
    d_->widget->setParent(parent ? parent->Widget() : nullptr);
    d_->widget->setVisible(visible_);
    if (before) Realign(before);
    noteAnchors();
    ApplyFont();
    if (align_ != alNone) realignParent();
}

TControl* TControl::Parent() const { return d_->widget ? ControlOf(d_->widget->parentWidget()) : nullptr; }

void TControl::SetAlign(TAlign align) {
    align_ = align;
    realignParent();
}

void TControl::SetAnchors(TAnchors anchors) {
    anchors_ = anchors;
    noteAnchors();
}

void TControl::noteAnchors() {
    QWidget* w = d_->widget;
    if (!w || w->isWindow() || !w->parentWidget()) return;
    QWidget* p = w->parentWidget();
    anchorRight_ = p->width() - (w->x() + w->width());
    anchorBottom_ = p->height() - (w->y() + w->height());
}

void TControl::realignParent() {
    if (d_->widget && !d_->widget->isWindow() && d_->widget->parentWidget()) Realign(d_->widget->parentWidget());
}

void TControl::Realign(QWidget* parent) {
    if (!parent) return;
    std::vector<TControl*> kids;
    for (QObject* o : parent->children())
        if (o->isWidgetType())
            if (TControl* c = ControlOf(static_cast<QWidget*>(o)); c && !static_cast<QWidget*>(o)->isWindow())
                kids.push_back(c);
    QRect r = parent->contentsRect();
    auto place = [](TControl* c, QRect g) {
        QWidget* w = c->Widget();
        if (g.width() < 0) g.setWidth(0);
        if (g.height() < 0) g.setHeight(0);
        if (w->geometry() == g) return;
        w->setGeometry(g);
        c->noteAnchors();
        Realign(w);
    };
    auto docked = [&](TAlign a, bool (*before)(TControl*, TControl*)) {
        std::vector<TControl*> list;
        for (TControl* c : kids)
            if (c->align_ == a && c->visible_) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), before);
        return list;
    };
    for (TControl* c : docked(alTop, [](TControl*a, TControl*b) { return a->Top() < b->Top(); })) {
        place(c, QRect(r.left(), r.top(), r.width(), c->Height()));
        r.setTop(r.top() + c->Height());
    }
    for (TControl* c : docked(alBottom, [](TControl*a, TControl*b) { return a->Top() > b->Top(); })) {
        place(c, QRect(r.left(), r.bottom() + 1 - c->Height(), r.width(), c->Height()));
        r.setBottom(r.bottom() - c->Height());
    }
    for (TControl* c : docked(alLeft, [](TControl*a, TControl*b) { return a->Left() < b->Left(); })) {
        place(c, QRect(r.left(), r.top(), c->Width(), r.height()));
        r.setLeft(r.left() + c->Width());
    }
    for (TControl* c : docked(alRight, [](TControl*a, TControl*b) { return a->Left() > b->Left(); })) {
        place(c, QRect(r.right() + 1 - c->Width(), r.top(), c->Width(), r.height()));
        r.setRight(r.right() - c->Width());
    }
    for (TControl* c : docked(alClient, [](TControl*, TControl*) { return false; })) place(c, r);

    // Anchored to the right or the bottom: the distance to that edge stays.
    for (TControl* c : kids) {
        if (c->align_ != alNone || c->anchors_ == (akLeft | akTop)) continue;
        QRect g = c->Widget()->geometry();
        if (c->anchors_ & akRight) {
            int right = parent->width() - c->anchorRight_;
            if (c->anchors_ & akLeft) g.setRight(right - 1);
            else g.moveRight(right - 1);
        }
        if (c->anchors_ & akBottom) {
            int bottom = parent->height() - c->anchorBottom_;
            if (c->anchors_ & akTop) g.setBottom(bottom - 1);
            else g.moveBottom(bottom - 1);
        }
        int keepRight = c->anchorRight_, keepBottom = c->anchorBottom_;
        place(c, g);
        c->anchorRight_ = keepRight;
        c->anchorBottom_ = keepBottom;
    }
}

void TControl::SetColor(TColor color) {
    color_ = color;
    ApplyColor(color);
}

void TControl::ApplyColor(TColor color) {
    QWidget* w = d_->widget;
    if (!w) return;
    if (color == clDefault) {
        w->setAutoFillBackground(false);
        w->setPalette(QPalette());
        ApplyFont();  // the font colour lives in the palette too
        return;
    }
    QPalette p = w->palette();
    QColor c = QColor::fromRgb(ColorToRgb(color));
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Button, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void TControl::ApplyFont() {
    QWidget* w = d_->widget;
    if (!w) return;
    const TFont& f = *font_;
    bool own = !f.Name().empty() || f.Height() != 0 || f.Style() != 0;
    if (own) {
        QFont q = w->parentWidget() ? w->parentWidget()->font() : QApplication::font();
        StandIn standIn = standInFor(fontNameOf(w));
        if (!f.Name().empty()) q.setFamily(standIn.family);
        if (f.Height() != 0) q.setPixelSize(std::max(1, std::abs(f.Height()) + standIn.pixelDelta));
        q.setBold(f.Style() & fsBold);
        q.setItalic(f.Style() & fsItalic);
        q.setUnderline(f.Style() & fsUnderline);
        q.setStrikeOut(f.Style() & fsStrikeOut);
        w->setFont(q);
    }
    if (f.Color() != clDefault) {
        QPalette p = w->palette();
        QColor c = QColor::fromRgb(ColorToRgb(f.Color()));
        p.setColor(QPalette::WindowText, c);
        p.setColor(QPalette::Text, c);
        p.setColor(QPalette::ButtonText, c);
        w->setPalette(p);
    }
    FontChanged();
}

bool TControl::CanFocus() const {
    QWidget* w = d_->widget;
    if (!w || !w->isEnabled() || w->focusPolicy() == Qt::NoFocus) return false;
    for (const QWidget* p = w; p; p = p->isWindow() ? nullptr : p->parentWidget())
        if (const TControl* c = ControlOf(p); c && !c->Visible()) return false;
    return true;
}

bool TControl::Focused() const {
    QWidget* w = d_->widget;
    return w && (w->hasFocus() || w->window()->focusWidget() == w);
}

void TControl::SetFocus() {
    if (CanFocus()) {
        d_->widget->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Kept for the window's showing when the window alone is hidden (a start into the tray):
    // the caller's command goes on either way.
    QWidget* w = d_->widget;
    if (!w || !w->isEnabled() || w->focusPolicy() == Qt::NoFocus || !Visible()) return;
    for (const QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (const TControl* c = ControlOf(p); c && !c->Visible()) return;
    if (auto* form = dynamic_cast<TForm*>(ControlOf(w->window())); form && form != this) form->SetActiveControl(this);
}

void TControl::SetTabOrder(int order) { tabOrder_ = order; }

namespace {
// The window's controls in the order Tab visits them: each parent's controls by TabOrder
// (those without one after, in the order they were made), each container's right after it.
void collectTabStops(QWidget* parent, std::vector<QWidget*>& out) {
    std::vector<TControl*> kids;
    for (QObject* o : parent->children())
        if (o->isWidgetType())
            if (TControl* c = TControl::ControlOf(static_cast<QWidget*>(o)); c && !c->Widget()->isWindow())
                kids.push_back(c);
    std::stable_sort(kids.begin(), kids.end(), [](TControl* a, TControl* b) {
        unsigned oa = static_cast<unsigned>(a->TabOrder()), ob = static_cast<unsigned>(b->TabOrder());
        return oa < ob;  // -1 (none) sorts last
    });
    for (TControl* c : kids) {
        QWidget* w = c->Widget();
        if (!c->Visible() || !w->isEnabled()) continue;
        if (w->focusPolicy() & Qt::TabFocus) {
            out.push_back(w);
        } else {
            // A group of plain widgets (a radio group's buttons): the checked one, or the first.
            QWidget* pick = nullptr;
            for (QObject* o : w->children()) {
                auto* child = qobject_cast<QWidget*>(o);
                if (!child || TControl::ControlOf(child) || !(child->focusPolicy() & Qt::TabFocus)) continue;
                if (!pick) pick = child;
                if (child->property("checked").toBool()) pick = child;
            }
            if (pick) out.push_back(pick);
        }
        collectTabStops(w, out);
    }
}
}  // namespace

QWidget* TControl::NextTabStop(QWidget* window, QWidget* from, bool forward) {
    std::vector<QWidget*> stops;
    collectTabStops(window, stops);
    if (stops.empty()) return nullptr;
    auto at = std::find(stops.begin(), stops.end(), from);
    if (at == stops.end()) return forward ? stops.front() : stops.back();
    std::size_t i = static_cast<std::size_t>(at - stops.begin());
    return stops[forward ? (i + 1) % stops.size() : (i + stops.size() - 1) % stops.size()];
}

bool TControl::TabStop() const { return d_->widget && (d_->widget->focusPolicy() & Qt::TabFocus); }

void TControl::SetTabStop(bool stop) {
    if (!d_->widget) return;
    Qt::FocusPolicy own = d_->focusPolicy == Qt::NoFocus ? Qt::StrongFocus : d_->focusPolicy;
    d_->widget->setFocusPolicy(stop ? own : Qt::ClickFocus);
}

QWidget* TControl::Widget() const { return d_->widget.data(); }

void TControl::Click() {
    // A copy: the handler may free this control, and with it OnClick.
    if (TNotifyEvent h = OnClick) RunHandler([&] { h(this); });
}
