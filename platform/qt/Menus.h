#pragma once
// Menus: TPopupMenu holds TMenuItem entries and opens at a screen point (the tray's menu).
#include "Component.h"

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
    TNotifyEvent OnClick;
    void Click();  // OnClick, inside the handler boundary

private:
    friend class TPopupMenu;
    TPopupMenu* menu_ = nullptr;
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
