#include "Trayicon.h"

#include "Forms.h"
#include "ImgList.h"
#include "Internal.h"
#include "Menus.h"
#include "WinUser.h"
#include "platform/UiThread.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

struct TTrayIcon::Impl {
    mutable std::mutex m;
    bool visible = false;
    AnsiString hint;
    int iconIndex = 0;
    bool hide = true;
    int updates = 0;
    // UI thread:
    TTrayIcon* owner = nullptr;
    TImageList* icons = nullptr;
    TPopupMenu* menu = nullptr;
    QSystemTrayIcon* qt = nullptr;
};

namespace {
std::mutex gRegistryMutex;
std::vector<std::shared_ptr<TTrayIcon::Impl>> gIcons;
std::atomic<int> gForcedAvailable{-1};

bool realTray() { return QGuiApplication::instance() && QSystemTrayIcon::isSystemTrayAvailable(); }

// Brings the Qt icon in line with the model (UI thread).
void sync(const std::shared_ptr<TTrayIcon::Impl>& d) {
    if (!d->owner) return;
    bool visible;
    AnsiString hint;
    int index;
    {
        std::lock_guard lock(d->m);
        visible = d->visible;
        hint = d->hint;
        index = d->iconIndex;
    }
    bool want = visible && realTray();
    if (want && !d->qt) {
        d->qt = new QSystemTrayIcon;
        std::weak_ptr<TTrayIcon::Impl> weak = d;
        // Queued: the handlers run once the desktop's event has been handled, as events of
        // the icon itself, so the icon is never freed under its own handling.
        QObject::connect(
            d->qt, &QSystemTrayIcon::activated, d->qt,
            [weak](QSystemTrayIcon::ActivationReason why) {
                auto d = weak.lock();
                TTrayIcon* owner = d ? d->owner : nullptr;
                if (!owner) return;
                if (why == QSystemTrayIcon::DoubleClick) {
                    owner->DoubleClick();
                } else if (why == QSystemTrayIcon::Context) {
                    QPoint p = QCursor::pos();
                    classlib::NoteCursorPos(p.x(), p.y());
                    owner->RightClickUp();
                }
            },
            Qt::QueuedConnection);
    }
    if (!d->qt) return;
    d->qt->setToolTip(QString::fromStdString(AnsiToUtf8(hint)));
    TBitmap picture;
    if (d->icons && d->icons->GetBitmap(index, picture)) d->qt->setIcon(QIcon(QPixmap::fromImage(picture.Image())));
    d->qt->setVisible(want);
}

void follow(const std::shared_ptr<TTrayIcon::Impl>& d) {
    if (IsUiThread()) {
        sync(d);
        return;
    }
    std::weak_ptr<TTrayIcon::Impl> weak = d;
    QueueOnUiThread([weak] {
        if (auto d = weak.lock()) sync(d);
    });
}
}  // namespace

bool classlib::TrayTakesMinimisedApplication() {
    if (!TTrayIcon::SystemTrayAvailable()) return false;
    std::lock_guard lock(gRegistryMutex);
    return std::any_of(gIcons.begin(), gIcons.end(), [](auto& d) {
        std::lock_guard l(d->m);
        return d->visible && d->hide;
    });
}

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner), d_(std::make_shared<Impl>()) {
    d_->owner = this;
    std::lock_guard lock(gRegistryMutex);
    gIcons.push_back(d_);
}

TTrayIcon::~TTrayIcon() {
    {
        std::lock_guard lock(gRegistryMutex);
        std::erase(gIcons, d_);
    }
    auto d = d_;
    RunOnUiThread([d] {
        d->owner = nullptr;
        if (d->qt) d->qt->hide();
        classlib::Dispose(d->qt);
        d->qt = nullptr;
    });
}

bool TTrayIcon::Visible() const {
    std::lock_guard lock(d_->m);
    return d_->visible;
}

void TTrayIcon::SetVisible(bool visible) {
    {
        std::lock_guard lock(d_->m);
        d_->visible = visible;
    }
    follow(d_);
}

AnsiString TTrayIcon::Hint() const {
    std::lock_guard lock(d_->m);
    return d_->hint;
}

void TTrayIcon::SetHint(const AnsiString& hint) {
    {
        std::lock_guard lock(d_->m);
        d_->hint = hint;
    }
    follow(d_);
}

int TTrayIcon::IconIndex() const {
    std::lock_guard lock(d_->m);
    return d_->iconIndex;
}

void TTrayIcon::SetIconIndex(int index) {
    {
        std::lock_guard lock(d_->m);
        d_->iconIndex = index;
    }
    follow(d_);
}

void TTrayIcon::SetIcons(TImageList* icons) {
    d_->icons = icons;
    follow(d_);
}

TImageList* TTrayIcon::Icons() const { return d_->icons; }
void TTrayIcon::SetPopupMenu(TPopupMenu* menu) { d_->menu = menu; }
TPopupMenu* TTrayIcon::PopupMenu() const { return d_->menu; }

bool TTrayIcon::Hide() const {
    std::lock_guard lock(d_->m);
    return d_->hide;
}

void TTrayIcon::SetHide(bool hide) {
    std::lock_guard lock(d_->m);
    d_->hide = hide;
}

void TTrayIcon::Restore() {
    RunOnUiThread([this] {
        Application->Restore();
        if (TForm* main = Application->MainForm(); main && main->Visible()) {
            main->Widget()->showNormal();
            main->Widget()->raise();
            main->Widget()->activateWindow();
        }
        if (OnRestore) RunHandler([this] { OnRestore(this); });
    });
}

void TTrayIcon::Update() {
    {
        std::lock_guard lock(d_->m);
        ++d_->updates;
    }
    follow(d_);
}

void TTrayIcon::DoubleClick() {
    if (RestoreOn == imDoubleClick) Restore();
}

void TTrayIcon::RightClickUp() {
    if (PopupMenuOn != imRightClickUp || !d_->menu) return;
    TPoint p;
    GetCursorPos(&p);
    d_->menu->Popup(p.x, p.y);
}

bool TTrayIcon::InTray() const { return d_->qt && d_->qt->isVisible(); }

int TTrayIcon::UpdateCount() const {
    std::lock_guard lock(d_->m);
    return d_->updates;
}

bool TTrayIcon::SystemTrayAvailable() {
    int forced = gForcedAvailable.load();
    return forced >= 0 ? forced != 0 : realTray();
}

void TTrayIcon::SetSystemTrayAvailableForTests(bool available) { gForcedAvailable.store(available ? 1 : 0); }
