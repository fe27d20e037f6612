#include "ComboBox.h"

#include "QtText.h"
#include "platform/Application.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {
// Qt selects the first item added to an empty box; the class library selects nothing.
// Keeps the selection and the typed text of `box` across a change of its items.
template <class F>
void keepingSelection(QComboBox* box, F&& change) {
    QSignalBlocker block(box);
    int index = box->currentIndex();
    QString typed = box->isEditable() ? box->currentText() : QString();
    change();
    if (index < 0 && box->currentIndex() >= 0) box->setCurrentIndex(-1);
    if (box->isEditable() && box->currentText() != typed && index < 0) box->setEditText(typed);
}

void checkIndex(const QComboBox* box, int index, bool insert) {
    int limit = box->count() + (insert ? 1 : 0);
    if (index < 0 || index >= limit) throw EStringListError("List index out of bounds (" + IntToStr(index) + ")");
}
}  // namespace

int TComboBoxItems::Count() const { return box_->count(); }

AnsiString TComboBoxItems::Get(int index) const {
    checkIndex(box_, index, false);
    return FromQString(box_->itemText(index));
}

int TComboBoxItems::Add(const AnsiString& s) {
    keepingSelection(box_, [&] { box_->addItem(ToQString(s)); });
    return box_->count() - 1;
}

void TComboBoxItems::Insert(int index, const AnsiString& s) {
    checkIndex(box_, index, true);
    keepingSelection(box_, [&] { box_->insertItem(index, ToQString(s)); });
}

void TComboBoxItems::Clear() {
    QSignalBlocker block(box_);
    box_->clear();
    if (box_->isEditable()) box_->setEditText(QString());
}

void TComboBoxItems::Delete(int index) {
    checkIndex(box_, index, false);
    QSignalBlocker block(box_);
    bool wasSelected = box_->currentIndex() == index;
    box_->removeItem(index);
    if (wasSelected) box_->setCurrentIndex(-1);
}

TComboBox::TComboBox(TComponent* owner)
    : TControl(owner, new QComboBox), items_(new TComboBoxItems(static_cast<QComboBox*>(Widget()))) {
    QComboBox* b = box();
    b->setEditable(true);
    b->setInsertPolicy(QComboBox::NoInsert);
    b->setMaxVisibleItems(8);
    QObject::connect(b, &QComboBox::activated, [this] {
        std::weak_ptr<const void> life = Life();
        Click();
        if (life.expired()) return;  // OnClick freed the box
        if (TNotifyEvent h = OnChange) RunHandler([&] { h(this); });
    });
    QObject::connect(b, &QComboBox::editTextChanged, [this] {
        // Only typing: the program's own changes are made with the signals blocked.
        if (box()->lineEdit() && box()->lineEdit()->isModified() && OnChange) {
            box()->lineEdit()->setModified(false);
            if (TNotifyEvent h = OnChange) RunHandler([&] { h(this); });
        }
    });
}

TComboBox::~TComboBox() = default;

QComboBox* TComboBox::box() const { return static_cast<QComboBox*>(Widget()); }

int TComboBox::ItemIndex() const { return box()->currentIndex(); }

void TComboBox::SetItemIndex(int index) {
    QSignalBlocker block(box());
    box()->setCurrentIndex(index >= 0 && index < box()->count() ? index : -1);
}

AnsiString TComboBox::Text() const { return FromQString(box()->currentText()); }

void TComboBox::SetText(const AnsiString& text) {
    QSignalBlocker block(box());
    if (style_ == csDropDownList) {
        SetItemIndex(items_->IndexOf(text));
        return;
    }
    box()->setEditText(ToQString(text));
}

void TComboBox::SetStyle(TComboBoxStyle style) {
    style_ = style;
    QSignalBlocker block(box());
    int index = box()->currentIndex();
    box()->setEditable(style == csDropDown);
    box()->setCurrentIndex(index);
    if (style == csDropDown) {
        box()->setInsertPolicy(QComboBox::NoInsert);
        SetMaxLength(maxLength_);
    }
}

void TComboBox::SetMaxLength(int length) {
    maxLength_ = length;
    if (QLineEdit* e = box()->lineEdit()) e->setMaxLength(length > 0 ? length : 32767);
}

int TComboBox::DropDownCount() const { return box()->maxVisibleItems(); }
void TComboBox::SetDropDownCount(int rows) { box()->setMaxVisibleItems(rows); }
