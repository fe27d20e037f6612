#include "ExtCtrls.h"

#include "Internal.h"
#include "QtText.h"
#include "platform/Application.h"
#include "platform/UiThread.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>

namespace {
class ImageWidget : public QWidget {
public:
    explicit ImageWidget(TImage* owner) : owner_(owner) {}

protected:
    void paintEvent(QPaintEvent*) override {
        const QImage& img = owner_->ShownPicture().Image();
        if (img.isNull()) return;
        QPainter p(this);
        if (owner_->Stretch()) p.drawImage(rect(), img);
        else if (owner_->Center()) p.drawImage((width() - img.width()) / 2, (height() - img.height()) / 2, img);
        else p.drawImage(0, 0, img);
    }
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        e->accept();
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) owner_->Click();
    }

private:
    TImage* owner_;
};

class PanelWidget : public QFrame {
public:
    explicit PanelWidget(TPanel* owner) : owner_(owner) {}

protected:
    void paintEvent(QPaintEvent* e) override {
        QFrame::paintEvent(e);
        if (owner_->Caption().empty()) return;
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(contentsRect(), Qt::AlignCenter, ToQString(owner_->Caption()));
    }

private:
    TPanel* owner_;
};

class RadioGroupWidget : public QGroupBox {
public:
    explicit RadioGroupWidget(TRadioGroup* owner) : owner_(owner) {}
    QButtonGroup buttons;

protected:
    void resizeEvent(QResizeEvent* e) override {
        QGroupBox::resizeEvent(e);
        owner_->ArrangeButtons();
    }
    void showEvent(QShowEvent* e) override {
        QGroupBox::showEvent(e);
        owner_->ArrangeButtons();
    }

private:
    TRadioGroup* owner_;
};

// A radio group's lines: each change rebuilds its buttons.
class RadioItems : public TStrings {
public:
    explicit RadioItems(TRadioGroup* owner) : owner_(owner) {}
    int Count() const override { return static_cast<int>(lines_.size()); }
    AnsiString Get(int index) const override {
        check(index);
        return lines_[static_cast<std::size_t>(index)];
    }
    int Add(const AnsiString& s) override {
        lines_.push_back(s);
        owner_->RebuildButtons();
        return Count() - 1;
    }
    void Clear() override {
        lines_.clear();
        owner_->RebuildButtons();
    }
    void Delete(int index) override {
        check(index);
        lines_.erase(lines_.begin() + index);
        owner_->RebuildButtons();
    }

private:
    void check(int index) const {
        if (index < 0 || index >= Count())
            throw EStringListError("List index out of bounds (" + IntToStr(index) + ")");
    }
    TRadioGroup* owner_;
    std::vector<AnsiString> lines_;
};

RadioGroupWidget* groupOf(const TRadioGroup* g) { return static_cast<RadioGroupWidget*>(g->Widget()); }
}  // namespace

TImage::TImage(TComponent* owner) : TControl(owner, new ImageWidget(this)) {}

void TImage::SetPicture(const TBitmap& picture) {
    picture_ = picture;
    SetTransparent(transparent_);
}

void TImage::SetTransparent(bool transparent) {
    transparent_ = transparent;
    shown_ = picture_;
    QImage& img = shown_.Image();
    if (transparent && !img.isNull()) {
        img = img.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = img.pixel(0, img.height() - 1) & 0xFFFFFF;
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
        }
    }
    Widget()->update();
}

void TImage::SetStretch(bool stretch) {
    stretch_ = stretch;
    Widget()->update();
}

void TImage::SetCenter(bool center) {
    center_ = center;
    Widget()->update();
}

TPanel::TPanel(TComponent* owner) : TControl(owner, new PanelWidget(this)) { applyFrame(); }

void TPanel::SetCaption(const AnsiString& caption) {
    caption_ = caption;
    Widget()->update();
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
    bevelOuter_ = bevel;
    applyFrame();
}

void TPanel::SetBorderWidth(int width) {
    borderWidth_ = width;
    applyFrame();
}

void TPanel::applyFrame() {
    auto* f = static_cast<QFrame*>(Widget());
    if (bevelOuter_ == bvNone) f->setFrameStyle(QFrame::NoFrame);
    else f->setFrameStyle(QFrame::Panel | (bevelOuter_ == bvRaised ? QFrame::Raised : QFrame::Sunken));
    f->setLineWidth(1);
    f->setContentsMargins(borderWidth_, borderWidth_, borderWidth_, borderWidth_);
    Realign(f);
}

TRadioGroup::TRadioGroup(TComponent* owner)
    : TControl(owner, new RadioGroupWidget(this)), items_(std::make_unique<RadioItems>(this)) {
    QObject::connect(&groupOf(this)->buttons, &QButtonGroup::idClicked, [this](int id) { ButtonChosen(id); });
}

TRadioGroup::~TRadioGroup() = default;

void TRadioGroup::SetCaption(const AnsiString& caption) {
    caption_ = caption;
    groupOf(this)->setTitle(ToQString(caption));
}

void TRadioGroup::SetItemIndex(int index) {
    if (index < -1 || index >= items_->Count()) index = -1;
    if (index == itemIndex_) return;
    itemIndex_ = index;
    QButtonGroup& group = groupOf(this)->buttons;
    if (index < 0) {
        // A button group always keeps one checked unless exclusivity is lifted for a moment.
        group.setExclusive(false);
        for (QAbstractButton* b : group.buttons()) b->setChecked(false);
        group.setExclusive(true);
    } else if (QAbstractButton* b = group.button(index)) {
        b->setChecked(true);
    }
    Click();
}

void TRadioGroup::SetColumns(int columns) {
    columns_ = columns < 1 ? 1 : columns;
    ArrangeButtons();
}

void TRadioGroup::ButtonChosen(int index) {
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Click();
}

void TRadioGroup::RebuildButtons() {
    RadioGroupWidget* w = groupOf(this);
    for (QAbstractButton* b : w->buttons.buttons()) {
        w->buttons.removeButton(b);
        classlib::Dispose(b);  // it may be the button whose click is being handled
    }
    for (int i = 0; i < items_->Count(); ++i) {
        auto* b = new QRadioButton(ToQString(items_->Get(i)), w);
        b->setObjectName(ToQString(Name() + "_" + IntToStr(i)));
        w->buttons.addButton(b, i);
        b->setChecked(i == itemIndex_);
        b->resize(0, 0);  // placed when the group is arranged, not measured on its own now
        b->show();
    }
    if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
    ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
    RadioGroupWidget* w = groupOf(this);
    QList<QAbstractButton*> buttons = w->buttons.buttons();
    // Measuring the captions waits until the group is on screen (it is arranged as it shows).
    if (buttons.isEmpty() || !w->isVisible()) return;
    // As the class library lays them out: rows of equal height below the caption, columns
    // of equal width.
    int rows = (static_cast<int>(buttons.size()) + columns_ - 1) / columns_;
    int top = w->fontMetrics().height() + 2;
    int inner = w->width() - 16;
    int rowHeight = (w->height() - top - 4) / rows;
    for (QAbstractButton* b : buttons) {
        int i = w->buttons.id(b);
        int col = i / rows, row = i % rows;
        int colWidth = inner / columns_;
        int h = std::min(rowHeight, b->sizeHint().height());
        b->setGeometry(8 + col * colWidth, top + row * rowHeight + (rowHeight - h) / 2, colWidth, h);
    }
}
