#include "StdCtrls.h"

#include "Internal.h"
#include "QtText.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>

namespace {
// Labels take the mouse themselves, as the class library's graphic controls do: a press on
// one is not the form's.
class LabelWidget : public QLabel {
public:
    explicit LabelWidget(TLabel* owner) : owner_(owner) {}

protected:
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        e->accept();
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) owner_->Click();
    }

private:
    TLabel* owner_;
};

// The edit box's password character is the style's: this one gives the control's own.
class PasswordStyle : public QProxyStyle {
public:
    PasswordStyle(char c, QWidget* parent) : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {
        setParent(parent);
        AnsiString a(1, c);
        char_ = ToQString(a).at(0);
    }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return char_.unicode();
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }

private:
    QChar char_;
};

QLabel* labelOf(const TLabel* l) { return static_cast<QLabel*>(l->Widget()); }
QLineEdit* editOf(const TEdit* e) { return static_cast<QLineEdit*>(e->Widget()); }
QPushButton* buttonOf(const TButton* b) { return static_cast<QPushButton*>(b->Widget()); }
QCheckBox* checkOf(const TCheckBox* c) { return static_cast<QCheckBox*>(c->Widget()); }
}  // namespace

AnsiString StripHotkey(const AnsiString& caption) {
    AnsiString out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        bool last = i + 1 == caption.size();
        if (caption[i] != '&' || last) out += caption[i];  // a closing "&" marks nothing
        else if (caption[i + 1] == '&') out += caption[++i];
    }
    return out;
}

bool classlib::DialogKey(QWidget* form, char key) {
    for (QPushButton* b : form->findChildren<QPushButton*>()) {
        auto* button = dynamic_cast<TButton*>(TControl::ControlOf(b));
        if (!button || b->window() != form) continue;
        bool wanted = key == 13 ? button->Default() : key == 27 && button->Cancel();
        if (!wanted || !button->CanFocus()) continue;
        button->Click();
        return true;
    }
    return false;
}

TLabel::TLabel(TComponent* owner) : TControl(owner, new LabelWidget(this)) {
    labelOf(this)->setTextFormat(Qt::PlainText);
    // The class library's label starts 65 x 17 and is not measured yet: nothing is written on
    // it, and measuring would load the fonts before a window needs them.
    labelOf(this)->resize(65, 17);
    showText();
}

void TLabel::SetCaption(const AnsiString& caption) {
    caption_ = caption;
    update();
}

AnsiString TLabel::ShownText() const {
    return focusControl_ && showAccelChar_ ? StripHotkey(caption_) : FromQString(labelOf(this)->text());
}

void TLabel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    update();
}

void TLabel::SetLayout(TTextLayout layout) {
    layout_ = layout;
    update();
}

void TLabel::SetWordWrap(bool wrap) {
    wordWrap_ = wrap;
    update();
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    update();
}

void TLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    ApplyColor(Color());
}

void TLabel::SetShowAccelChar(bool show) {
    showAccelChar_ = show;
    update();
}

void TLabel::SetFocusControl(TControl* control) {
    focusControl_ = control;
    update();
}

void TLabel::ApplyColor(TColor color) { TControl::ApplyColor(transparent_ ? clDefault : color); }

void TLabel::update() {
    QLabel* l = showText();
    if (autoSize_ && Align() == alNone) {
        QSize hint = l->sizeHint();
        if (wordWrap_) SetBounds(Left(), Top(), Width(), l->heightForWidth(Width()));
        else SetBounds(Left(), Top(), hint.width(), hint.height());
    }
}

QLabel* TLabel::showText() {
    QLabel* l = labelOf(this);
    Qt::Alignment a = alignment_ == taCenter         ? Qt::AlignHCenter
                      : alignment_ == taRightJustify ? Qt::AlignRight
                                                     : Qt::AlignLeft;
    a |= layout_ == tlCenter ? Qt::AlignVCenter : layout_ == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
    l->setAlignment(a);
    l->setWordWrap(wordWrap_);
    if (focusControl_ && showAccelChar_) {
        l->setText(ToQString(caption_));
        l->setBuddy(focusControl_->Widget());
    } else {
        l->setBuddy(nullptr);
        l->setText(ToQString(showAccelChar_ ? StripHotkey(caption_) : caption_));
    }
    return l;
}

TEdit::TEdit(TComponent* owner) : TControl(owner, new QLineEdit) {
    QObject::connect(editOf(this), &QLineEdit::textChanged, [this] {
        if (TNotifyEvent h = OnChange) RunHandler([&] { h(this); });
    });
}

AnsiString TEdit::Text() const { return FromQString(editOf(this)->text()); }
void TEdit::SetText(const AnsiString& text) { editOf(this)->setText(ToQString(text)); }

void TEdit::SetMaxLength(int length) {
    maxLength_ = length;
    editOf(this)->setMaxLength(length > 0 ? length : 32767);
}

void TEdit::SetPasswordChar(char c) {
    passwordChar_ = c;
    QLineEdit* e = editOf(this);
    if (c == 0) {
        e->setEchoMode(QLineEdit::Normal);
        e->setStyle(nullptr);
        return;
    }
    e->setStyle(new PasswordStyle(c, e));
    e->setEchoMode(QLineEdit::Password);
}

bool TEdit::ReadOnly() const { return editOf(this)->isReadOnly(); }
void TEdit::SetReadOnly(bool readOnly) { editOf(this)->setReadOnly(readOnly); }
void TEdit::SelectAll() { editOf(this)->selectAll(); }

TButton::TButton(TComponent* owner) : TControl(owner, new QPushButton) {
    QPushButton* b = buttonOf(this);
    // Enter on a focused button presses it, as on the platform.
    b->setAutoDefault(true);
    QObject::connect(b, &QPushButton::clicked, [this] { Click(); });
}

void TButton::SetCaption(const AnsiString& caption) {
    caption_ = caption;
    buttonOf(this)->setText(ToQString(caption));
}

void TButton::SetDefault(bool isDefault) {
    default_ = isDefault;
    buttonOf(this)->setDefault(isDefault);
}

void TButton::SetCancel(bool cancel) { cancel_ = cancel; }

void TButton::Click() {
    if (modalResult_ != mrNone)
        if (TForm* form = classlib::FormOfWidget(Widget()->window())) form->SetModalResult(modalResult_);
    TControl::Click();
}

TCheckBox::TCheckBox(TComponent* owner) : TControl(owner, new QCheckBox) {
    QObject::connect(checkOf(this), &QCheckBox::clicked, [this] { Click(); });
}

void TCheckBox::SetCaption(const AnsiString& caption) {
    caption_ = caption;
    checkOf(this)->setText(ToQString(caption));
}

bool TCheckBox::Checked() const { return checkOf(this)->isChecked(); }

void TCheckBox::SetChecked(bool checked) {
    if (checked == Checked()) return;
    checkOf(this)->setChecked(checked);
    Click();
}
