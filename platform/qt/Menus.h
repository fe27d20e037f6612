#pragma once
// Menus: TPopupMenu holds TMenuItem entries and opens at a screen point (the tray's menu).
// An item with items of its own opens them as a submenu; a caption of "-" is a separator;
// Checked shows a tick (the program sets it: choosing an item does not toggle it).
#include "platform/Component.h"

#include <memory>
#include <vector>

class TPopupMenu;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    AnsiString Caption;
    bool Visible = true;
    bool Enabled = true;
    bool Checked = false;
    TNotifyEvent OnClick;
    void Click();  // OnClick, inside the handler boundary

    // The submenu: items stay their owners'.
    void Add(TMenuItem* item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    TMenuItem* Parent() const { return parent_; }
    bool IsLine() const { return Caption == "-"; }

private:
    friend class TPopupMenu;
    void detach();
    TPopupMenu* menu_ = nullptr;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    void Add(TMenuItem* item);  // the item stays its owner's
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    // Opens the menu at a screen point (UI thread); it stays open until an item is chosen
    // or it is dismissed, without holding the caller.
    void Popup(int x, int y);
    int PopupCount() const { return popups_; }  // times opened (tests)
    TNotifyEvent OnPopup;

private:
    friend class TMenuItem;
    struct Impl;
    std::unique_ptr<Impl> d_;
    std::vector<TMenuItem*> items_;
    int popups_ = 0;
};
