#include "Menus.h"

#include "Internal.h"
#include "QtText.h"
#include "platform/Application.h"

#include <algorithm>
#include <functional>

#include <QAction>
#include <QMenu>
#include <QPointer>

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
    detach();
    for (TMenuItem* child : items_) child->parent_ = nullptr;
}

void TMenuItem::detach() {
    if (menu_) std::erase(menu_->items_, this);
    if (parent_) std::erase(parent_->items_, this);
    menu_ = nullptr;
    parent_ = nullptr;
}

void TMenuItem::Click() {
    if (TNotifyEvent h = OnClick) RunHandler([&] { h(this); });  // it may free this item
}

void TMenuItem::Add(TMenuItem* item) {
    item->detach();
    item->parent_ = this;
    items_.push_back(item);
}

struct TPopupMenu::Impl {
    QPointer<QMenu> menu;
};

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), d_(std::make_unique<Impl>()) {}

namespace {
// A menu no longer shown by its TPopupMenu: its items reach nothing any more, and it goes
// once no event of its is being delivered (the item's handler returns into its own).
void retire(QMenu* menu) {
    if (!menu) return;
    for (QAction* a : menu->findChildren<QAction*>()) QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
    classlib::Dispose(menu);
}
}  // namespace

TPopupMenu::~TPopupMenu() {
    for (TMenuItem* item : items_) item->menu_ = nullptr;
    retire(d_->menu);
}

void TPopupMenu::Add(TMenuItem* item) {
    item->detach();
    item->menu_ = this;
    items_.push_back(item);
}

namespace {
// True while `target` still hangs in `items` or their submenus (a freed item has left its
// parent's list, so nothing here reads through a dangling pointer).
template <class Holder>
bool reachable(const Holder* holder, const TMenuItem* target) {
    for (int i = 0; i < holder->Count(); ++i) {
        const TMenuItem* item = holder->Items(i);
        if (item == target || reachable(item, target)) return true;
    }
    return false;
}

void fill(QMenu* qmenu, const std::vector<TMenuItem*>& items, const std::function<void(TMenuItem*)>& chosen) {
    for (TMenuItem* item : items) {
        if (!item->Visible) continue;
        if (item->IsLine()) {
            qmenu->addSeparator()->setObjectName(ToQString(item->Name()));
            continue;
        }
        QString caption = ToQString(item->Caption);
        QString name = ToQString(item->Name());
        if (item->Count() > 0) {
            QMenu* sub = qmenu->addMenu(caption);
            sub->setObjectName(name);
            sub->menuAction()->setObjectName(name);
            sub->menuAction()->setEnabled(item->Enabled);
            std::vector<TMenuItem*> children;
            for (int i = 0; i < item->Count(); ++i) children.push_back(item->Items(i));
            fill(sub, children, chosen);
            continue;
        }
        QAction* a = qmenu->addAction(caption);
        a->setEnabled(item->Enabled);
        a->setObjectName(name);
        a->setCheckable(item->Checked);
        a->setChecked(item->Checked);
        QObject::connect(a, &QAction::triggered, [item, chosen] { chosen(item); });
    }
}
}  // namespace

void TPopupMenu::Popup(int x, int y) {
    ++popups_;
    if (OnPopup) RunHandler([this] { OnPopup(this); });
    // The menu closed stays this component's until the next one or its end, never freed
    // by its own closing: an item's handler runs inside the menu's mouse handling, and may
    // run a nested loop (a question, a bounded wait) before that handling goes on.
    retire(d_->menu);
    auto* menu = new QMenu;
    fill(menu, items_, [this](TMenuItem* item) {
        // The item may have gone while the menu was open.
        if (reachable(this, item)) item->Click();
    });
    d_->menu = menu;
    menu->popup(QPoint(x, y));
}
