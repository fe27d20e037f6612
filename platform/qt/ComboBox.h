#pragma once
// The class library's combo box. Its items are a live string list: what is added shows at
// once, and adding never selects anything (the list starts with nothing selected, ItemIndex
// -1, as the class library's does). IndexOf ignores case.
#include "Controls.h"
#include "platform/Classes.h"

class QComboBox;

enum TComboBoxStyle { csDropDown, csDropDownList };

// The items of one combo box.
class TComboBoxItems : public TStrings {
public:
    int Count() const override;
    AnsiString Get(int index) const override;  // raises EStringListError out of range
    int Add(const AnsiString& s) override;
    void Insert(int index, const AnsiString& s);
    void Clear() override;
    void Delete(int index) override;

private:
    friend class TComboBox;
    explicit TComboBoxItems(QComboBox* box) : box_(box) {}
    QComboBox* box_;
};

class TComboBox : public TControl {
public:
    explicit TComboBox(TComponent* owner);  // csDropDown, 8 rows when dropped down
    ~TComboBox() override;

    TComboBoxItems* Items() const { return items_.get(); }
    int ItemIndex() const;
    void SetItemIndex(int index);  // -1: nothing selected
    // csDropDown: the text typed or chosen; csDropDownList: the chosen item's, "" when none.
    AnsiString Text() const;
    // csDropDownList: selects the item equal to it (case ignored), or nothing.
    void SetText(const AnsiString& text);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);  // csDropDown's typing; 0: no limit
    int DropDownCount() const;
    void SetDropDownCount(int rows);

    // The user chose an item (OnClick, then OnChange) or typed (OnChange); not fired when
    // the program changes the selection or the text.
    TNotifyEvent OnChange;

private:
    QComboBox* box() const;

    std::unique_ptr<TComboBoxItems> items_;
    TComboBoxStyle style_ = csDropDown;
    int maxLength_ = 0;
};
