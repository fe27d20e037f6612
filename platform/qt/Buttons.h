#pragma once
// The class library's button with a picture. A Kind other than bkCustom gives the class
// library's picture for it, and its caption, ModalResult, Default or Cancel as that kind
// has them (a form may set the caption again afterwards).
#include "StdCtrls.h"

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkYes, bkNo };

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner);
    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind kind);
    void SetGlyph(const TBitmap& glyph);  // lime (0,255,0) is transparent
    const TBitmap& Glyph() const;

private:
    TBitBtnKind kind_ = bkCustom;
    mutable TBitmap glyph_;
    mutable bool kindGlyphPending_ = false;  // the kind's picture is drawn when first needed
    bool kindGlyphWatched_ = false;          // ... or when the button is first made ready to show
};
