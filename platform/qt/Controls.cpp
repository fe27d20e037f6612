#include "Controls.h"

#include "platform/Application.h"
#include "platform/UiThread.h"

#include <QPointer>
#include <QWidget>

struct TControl::Impl {
    QPointer<QWidget> widget;
};

TControl::TControl(TComponent* owner, QWidget* widget, bool topLevel)
    : TComponent(owner), d_(std::make_shared<Impl>()) {
    d_->widget = widget;
    if (!topLevel && !widget->parentWidget())
        if (auto* parent = dynamic_cast<TControl*>(owner)) widget->setParent(parent->Widget());
}

TControl::~TControl() {
    // Owned controls first: their widgets sit on this one.
    DestroyComponents();
    delete d_->widget.data();
}

void TControl::SetName(const AnsiString& name) {
    TComponent::SetName(name);
    if (d_->widget) d_->widget->setObjectName(QString::fromStdString(AnsiToUtf8(name)));
}

bool TControl::Visible() const { return visible_; }

void TControl::SetVisible(bool visible) {
    visible_ = visible;
    if (d_->widget) d_->widget->setVisible(visible);
}

int TControl::Left() const { return d_->widget ? d_->widget->x() : 0; }
int TControl::Top() const { return d_->widget ? d_->widget->y() : 0; }
int TControl::Width() const { return d_->widget ? d_->widget->width() : 0; }
int TControl::Height() const { return d_->widget ? d_->widget->height() : 0; }

void TControl::SetBounds(int left, int top, int width, int height) {
    if (!d_->widget) return;
    d_->widget->move(left, top);
    d_->widget->resize(width, height);
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
    d_->widget->setParent(parent ? parent->Widget() : nullptr);
    d_->widget->setVisible(visible_);
}

QWidget* TControl::Widget() const { return d_->widget.data(); }

void TControl::Click() {
    if (OnClick) RunHandler([this] { OnClick(this); });
}
