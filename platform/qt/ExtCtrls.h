#pragma once
// The class library's picture, panel and radio group.
#include "Controls.h"
#include "Graphics.h"
#include "platform/Classes.h"
#include "platform/Component.h"

#include <memory>
#include <vector>

// A picture on a form, drawn at its top-left corner (or centred, or stretched). A left
// click fires OnClick; a press on it is not the form's.
class TImage : public TControl {
public:
    explicit TImage(TComponent* owner);
    const TBitmap& Picture() const { return picture_; }
    void SetPicture(const TBitmap& picture);
    // With Transparent the colour of the picture's bottom-left pixel is not drawn.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool Center() const { return center_; }
    void SetCenter(bool center);
    // The picture as it is drawn (without its transparent colour).
    const TBitmap& ShownPicture() const { return shown_; }

private:
    TBitmap picture_;
    TBitmap shown_;  // the picture as drawn (its transparent colour cleared)
    bool transparent_ = false;
    bool stretch_ = false;
    bool center_ = false;
};

enum TBevelCut { bvNone, bvLowered, bvRaised };

// A plain area that holds other controls; its caption is drawn in its middle.
class TPanel : public TControl {
public:
    explicit TPanel(TComponent* owner);  // raised outer bevel, no border width
    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& caption);
    void SetBevelOuter(TBevelCut bevel);
    // Free space kept inside the bevel: aligned controls stay that far from the edges.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);

private:
    void applyFrame();
    AnsiString caption_;
    TBevelCut bevelOuter_ = bvRaised;
    int borderWidth_ = 0;
};

// A framed group of radio buttons, one per line of Items; ItemIndex is the chosen one (-1:
// none). Choosing, by the user or by ItemIndex, fires OnClick.
class TRadioGroup : public TControl {
public:
    explicit TRadioGroup(TComponent* owner);
    ~TRadioGroup() override;

    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& caption);
    TStrings* Items() const { return items_.get(); }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int Columns() const { return columns_; }
    void SetColumns(int columns);

    // The layer's: the buttons follow the items and the size.
    void ArrangeButtons();
    void RebuildButtons();
    void ButtonChosen(int index);

private:
    AnsiString caption_;
    std::unique_ptr<TStrings> items_;
    int itemIndex_ = -1;
    int columns_ = 1;
};
