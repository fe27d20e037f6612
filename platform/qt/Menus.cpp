#include "Menus.h"

#include "platform/Application.h"

#include <algorithm>

#include <QMenu>
#include <QAction>
#include <QPointer>

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
    if (menu_) std::erase(menu_->items_, this);
}

void TMenuItem::Click() {
    if (OnClick) RunHandler([this] { OnClick(this); });
}

struct TPopupMenu::Impl {
    QPointer<QMenu> menu;
};

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), d_(std::make_unique<Impl>()) {}

TPopupMenu::~TPopupMenu() {
    for (TMenuItem* item : items_) item->menu_ = nullptr;
    delete d_->menu.data();
}

void TPopupMenu::Add(TMenuItem* item) {
    if (item->menu_) std::erase(item->menu_->items_, item);
    item->menu_ = this;
    items_.push_back(item);
}

void TPopupMenu::Popup(int x, int y) {
    ++popups_;
    if (OnPopup) RunHandler([this] { OnPopup(this); });
    delete d_->menu.data();
    auto* menu = new QMenu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (TMenuItem* item : items_) {
        if (!item->Visible) continue;
        QAction* a = menu->addAction(QString::fromStdString(AnsiToUtf8(item->Caption)));
        a->setEnabled(item->Enabled);
        a->setObjectName(QString::fromStdString(AnsiToUtf8(item->Name())));
        QPointer<QMenu> guard(menu);
        QObject::connect(a, &QAction::triggered, [this, item, guard] {
            // The item may have gone with its menu while the menu was open.
            if (guard && d_->menu == guard && std::count(items_.begin(), items_.end(), item)) item->Click();
        });
    }
    d_->menu = menu;
    menu->popup(QPoint(x, y));
}
