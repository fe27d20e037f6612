#pragma once
// The tray icon component: an icon in the desktop's notification area, showing picture
// IconIndex of its image list with Hint as its tip; a double click restores the
// application, releasing the right button opens PopupMenu. While it is shown (and Hide is
// set) minimising the application leaves only the icon. Where the desktop has no
// notification area the icon is a model only and minimising is an ordinary minimise, so
// the window stays reachable.
//
// Hint, IconIndex, Visible and Update may be used from any thread: the values change at
// once and the icon follows on the UI thread, in order.
#include "platform/Component.h"

#include <memory>

class TImageList;
class TPopupMenu;

enum TTrayIconMessage { imNone, imDoubleClick, imRightClickUp };

class TTrayIcon : public TComponent {
public:
    explicit TTrayIcon(TComponent* owner);
    ~TTrayIcon() override;

    bool Visible() const;
    void SetVisible(bool visible);
    AnsiString Hint() const;
    void SetHint(const AnsiString& hint);
    int IconIndex() const;
    void SetIconIndex(int index);
    void SetIcons(TImageList* icons);  // UI thread
    TImageList* Icons() const;
    void SetPopupMenu(TPopupMenu* menu);  // UI thread
    TPopupMenu* PopupMenu() const;
    // Minimising the application hides its windows into the tray.
    bool Hide() const;
    void SetHide(bool hide);
    TTrayIconMessage RestoreOn = imDoubleClick;
    TTrayIconMessage PopupMenuOn = imRightClickUp;

    // Restores the application, brings its main form forward, then fires OnRestore.
    void Restore();
    // Shows the icon and the tip again as they now are.
    void Update();
    TNotifyEvent OnRestore;

    // The notification area's own events, for tests (and the Qt backend): a double click,
    // a right-button release at the cursor.
    void DoubleClick();
    void RightClickUp();
    // Whether the icon is really in a notification area, and how often it was refreshed.
    bool InTray() const;
    int UpdateCount() const;

    // Whether the desktop has a notification area; tests may pretend one exists (the icon
    // then stays a model, but minimising goes into it).
    static bool SystemTrayAvailable();
    static void SetSystemTrayAvailableForTests(bool available);

    struct Impl;  // the layer's

private:
    std::shared_ptr<Impl> d_;
};
