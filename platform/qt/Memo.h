#pragma once
// The class library's memo: lines of text in a box. Lines is a live string list (the status
// log shows its lines through it); adding a line scrolls it into view.
#include "Controls.h"
#include "platform/Classes.h"

class QPlainTextEdit;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TBorderStyle { bsNoBorder, bsSingleBorder };

class TMemoLines : public TStrings {
public:
    int Count() const override;
    AnsiString Get(int index) const override;  // raises EStringListError out of range
    int Add(const AnsiString& s) override;
    void Clear() override;
    void Delete(int index) override;

private:
    friend class TMemo;
    explicit TMemoLines(QPlainTextEdit* edit) : edit_(edit) {}
    QPlainTextEdit* edit_;
    bool oneEmptyLine_ = false;  // an empty document that holds one empty line
};

class TMemo : public TControl {
public:
    explicit TMemo(TComponent* owner);  // editable, word wrap, no scroll bars, a border
    ~TMemo() override;

    TMemoLines* Lines() const { return lines_.get(); }
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle bars);
    void SetBorderStyle(TBorderStyle style);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);

private:
    QPlainTextEdit* edit() const;

    std::unique_ptr<TMemoLines> lines_;
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
};
