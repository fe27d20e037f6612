#include "QtCase.h"

#include "platform/UiThread.h"
#include "platform/qt/ImgList.h"
#include "platform/qt/Menus.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QWidget>
#include <atomic>
#include <thread>

namespace {
using TrayCase = QtCase;

// The main window's tray as the program sets it up: two images, a three-item menu.
struct TrayWindow {
    CountingForm* form = nullptr;
    TTrayIcon* tray = nullptr;
    TImageList* images = nullptr;
    TPopupMenu* menu = nullptr;
    std::vector<AnsiString> clicked;
    int trayRestores = 0;

    TrayWindow() {
        Application->CreateForm(form);
        images = new TImageList(form);
        TBitmap bmp;
        bmp.SetSize(16, 16);
        bmp.Image().fill(QColor(0, 255, 0));
        bmp.Image().setPixel(3, 4, qRgb(10, 20, 30));
        images->AddMasked(bmp, clLime);
        images->AddMasked(bmp, clBlack);
        menu = new TPopupMenu(form);
        for (const char* name : {"Restaurar1", "Desconectar2", "Desconectar1"}) {
            auto* item = new TMenuItem(form);
            item->SetName(name);
            item->Caption = name;
            item->OnClick = [this, item](TObject*) { clicked.push_back(item->Name()); };
            menu->Add(item);
        }
        tray = new TTrayIcon(form);
        tray->SetName("TrayIcon1");
        tray->SetHint("Ruvozava Corvala");
        tray->SetPopupMenu(menu);
        tray->SetIcons(images);
        tray->OnRestore = [this](TObject*) {
            ++trayRestores;
            form->Show();
        };
        tray->SetVisible(true);
    }
};

TEST_F(TrayCase, MinimisingGoesIntoTheTrayAndADoubleClickBringsItBack) {
    TTrayIcon::SetSystemTrayAvailableForTests(true);
    TrayWindow w;
    int appRestores = 0;
    Application->OnRestore = [&](TObject*) { ++appRestores; };
    w.form->Show();
    SendMessage(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(w.form->Widget()->isVisible());
    EXPECT_TRUE(w.form->Visible());

    w.tray->RestoreOn = imNone;
    w.tray->DoubleClick();
    EXPECT_FALSE(w.form->Widget()->isVisible());
    w.tray->RestoreOn = imDoubleClick;
    w.tray->DoubleClick();
    EXPECT_TRUE(w.form->Widget()->isVisible());
    EXPECT_FALSE(IsIconic(Application->Handle()));
    EXPECT_EQ(appRestores, 1);
    EXPECT_EQ(w.trayRestores, 1);
    EXPECT_EQ(w.form->shows, 1);
    // Without Hide the window stays where it is.
    w.tray->SetHide(false);
    Application->Minimize();
    EXPECT_TRUE(w.form->Widget()->isVisible());
}

TEST_F(TrayCase, AStartInTheTrayShowsTheFormOnTheFirstRestore) {
    TTrayIcon::SetSystemTrayAvailableForTests(true);
    TrayWindow w;
    Application->SetShowMainForm(false);
    QueueOnUiThread([&] {
        EXPECT_FALSE(w.form->Widget()->isVisible());
        w.tray->Restore();  // as the activation message or the menu's "Restaurar" does
        EXPECT_TRUE(w.form->Widget()->isVisible());
        Application->Terminate();
    });
    Application->Run();
    EXPECT_EQ(w.form->shows, 1);
    EXPECT_EQ(w.trayRestores, 1);
}

TEST_F(TrayCase, WithoutATrayMinimisingIsAnOrdinaryMinimise) {
    TrayWindow w;
    EXPECT_FALSE(TTrayIcon::SystemTrayAvailable());  // the offscreen display has none
    w.form->Show();
    Application->Minimize();
    EXPECT_TRUE(w.form->Widget()->isVisible());
    EXPECT_TRUE(w.form->Widget()->isMinimized());
    EXPECT_FALSE(w.tray->InTray());
    w.tray->DoubleClick();
    EXPECT_FALSE(w.form->Widget()->isMinimized());
    EXPECT_EQ(w.form->shows, 1);
}

TEST_F(TrayCase, ReleasingTheRightButtonOpensTheMenuAtTheCursor) {
    TrayWindow w;
    SetCursorPos(700, 500);
    w.tray->PopupMenuOn = imNone;
    w.tray->RightClickUp();
    EXPECT_EQ(w.menu->PopupCount(), 0);
    w.tray->PopupMenuOn = imRightClickUp;
    w.tray->RightClickUp();
    EXPECT_EQ(w.menu->PopupCount(), 1);
    auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(shown, nullptr);
    QStringList texts;
    for (QAction* a : shown->actions()) texts << a->text();
    EXPECT_EQ(texts, (QStringList{"Restaurar1", "Desconectar2", "Desconectar1"}));
    shown->actions().at(2)->trigger();
    EXPECT_EQ(w.clicked, (std::vector<AnsiString>{"Desconectar1"}));
    shown->close();
}

TEST_F(TrayCase, HintAndImageChangeAtOnceFromAnyThread) {
    TrayWindow w;
    std::atomic<bool> done{false};
    AnsiString hintSeen;
    std::thread worker([&] {
        w.tray->SetIconIndex(1);
        w.tray->SetHint("Você tem 7 mensagens."_a);
        w.tray->Update();
        hintSeen = w.tray->Hint();
        QueueOnUiThread([&] { done = true; });
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(hintSeen, "Você tem 7 mensagens."_a);
    EXPECT_EQ(w.tray->IconIndex(), 1);
    EXPECT_EQ(w.tray->UpdateCount(), 1);
    EXPECT_EQ(w.form->FindComponent("TrayIcon1"), w.tray);
}

TEST_F(TrayCase, TheImageListMakesTheMaskColourTransparent) {
    TrayWindow w;
    ASSERT_EQ(w.images->Count(), 2);
    TBitmap normal, other;
    ASSERT_TRUE(w.images->GetBitmap(0, normal));
    ASSERT_TRUE(w.images->GetBitmap(1, other));
    EXPECT_FALSE(w.images->GetBitmap(2, other));
    EXPECT_EQ(qAlpha(normal.Image().pixel(0, 0)), 0);
    EXPECT_EQ(normal.Image().pixel(3, 4), qRgb(10, 20, 30));
    EXPECT_EQ(qAlpha(other.Image().pixel(0, 0)), 255);
}
}  // namespace
