#pragma once
// The class library's standard controls: label, edit box, push button and check box. The
// combo box and the memo have units of their own (ComboBox.h, Memo.h).
//
// Captions keep the class library's "&": the letter after it is the control's mnemonic
// (Alt+letter), "&&" stands for one "&". A button's, a check box's and a label's with a
// FocusControl work as keys; a plain label only shows the text without the "&".
#include "Controls.h"
#include "Forms.h"

class QLabel;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// A caption as shown: each lone "&" dropped, "&&" made one "&".
AnsiString StripHotkey(const AnsiString& caption);

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* owner);  // auto size on, as the class library makes it

    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& caption);
    // The text the label shows (for tests): the caption as the user sees it.
    AnsiString ShownText() const;
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);  // tlCenter: centred vertically
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    // With AutoSize the label takes the size of its text (with WordWrap, only the height).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // A transparent label never paints its background; one with a Color of its own does.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool show);
    // The control the mnemonic focuses.
    void SetFocusControl(TControl* control);

protected:
    void ApplyColor(TColor color) override;
    void FontChanged() override { update(); }

private:
    void update();
    QLabel* showText();  // the caption, alignment and mnemonic, without measuring

    AnsiString caption_;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool autoSize_ = true;
    bool transparent_ = false;
    bool showAccelChar_ = true;
    TControl* focusControl_ = nullptr;
};

class TEdit : public TControl {
public:
    explicit TEdit(TComponent* owner);

    AnsiString Text() const;
    void SetText(const AnsiString& text);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);  // 0: no limit
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c);  // shown for every character; 0 shows the text
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    void SelectAll();

    TNotifyEvent OnChange;  // the text changed, by the user or by SetText

private:
    int maxLength_ = 0;
    char passwordChar_ = 0;
};

class TButton : public TControl {
public:
    explicit TButton(TComponent* owner);

    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& caption);
    // Enter on the form (unless another button has the focus) presses the Default button;
    // Esc presses the Cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool cancel);
    // Pressing sets the form's ModalResult to it (which ends a modal showing), then OnClick.
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    void Click() override;

private:
    AnsiString caption_;
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
};

class TCheckBox : public TControl {
public:
    explicit TCheckBox(TComponent* owner);

    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& caption);
    bool Checked() const;
    // A change fires OnClick, as the user's click does.
    void SetChecked(bool checked);

private:
    AnsiString caption_;
};
