#include "Memo.h"

#include "QtText.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {
void checkIndex(int index, int count) {
    if (index < 0 || index >= count) throw EStringListError("List index out of bounds (" + IntToStr(index) + ")");
}
}  // namespace

int TMemoLines::Count() const {
    const QTextDocument* doc = edit_->document();
    if (doc->isEmpty()) return oneEmptyLine_ ? 1 : 0;
    return doc->blockCount();
}

AnsiString TMemoLines::Get(int index) const {
    checkIndex(index, Count());
    return FromQString(edit_->document()->findBlockByNumber(index).text());
}

int TMemoLines::Add(const AnsiString& s) {
    int before = Count();
    if (before == 0) {
        edit_->setPlainText(ToQString(s));
        oneEmptyLine_ = s.empty();
    } else {
        oneEmptyLine_ = false;
        edit_->appendPlainText(ToQString(s));
    }
    // The newest line comes into view, as the platform's memo moves its caret there.
    edit_->moveCursor(QTextCursor::End);
    edit_->ensureCursorVisible();
    return Count() - 1;
}

void TMemoLines::Clear() {
    edit_->clear();
    oneEmptyLine_ = false;
}

void TMemoLines::Delete(int index) {
    int count = Count();
    checkIndex(index, count);
    if (count == 1) {
        Clear();
        return;
    }
    QTextCursor c(edit_->document()->findBlockByNumber(index));
    c.select(QTextCursor::BlockUnderCursor);  // the block with the break before it
    if (index == 0) {
        c.movePosition(QTextCursor::StartOfBlock);
        c.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    }
    c.removeSelectedText();
}

TMemo::TMemo(TComponent* owner)
    : TControl(owner, new QPlainTextEdit), lines_(new TMemoLines(static_cast<QPlainTextEdit*>(Widget()))) {
    SetScrollBars(ssNone);
}

TMemo::~TMemo() = default;

QPlainTextEdit* TMemo::edit() const { return static_cast<QPlainTextEdit*>(Widget()); }

bool TMemo::ReadOnly() const { return edit()->isReadOnly(); }
void TMemo::SetReadOnly(bool readOnly) { edit()->setReadOnly(readOnly); }

void TMemo::SetScrollBars(TScrollStyle bars) {
    scrollBars_ = bars;
    bool v = bars == ssVertical || bars == ssBoth, h = bars == ssHorizontal || bars == ssBoth;
    edit()->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit()->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TMemo::SetBorderStyle(TBorderStyle style) {
    edit()->setFrameStyle(style == bsNoBorder ? QFrame::NoFrame : QFrame::StyledPanel | QFrame::Sunken);
}

void TMemo::SetWordWrap(bool wrap) {
    wordWrap_ = wrap;
    edit()->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}
