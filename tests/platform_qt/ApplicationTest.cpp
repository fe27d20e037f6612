#include "QtCase.h"

#include "platform/Dialogs.h"
#include "platform/SysUtils.h"
#include "platform/Timer.h"
#include "platform/UiThread.h"

#include <QWidget>
#include <stdexcept>

namespace {
CountingForm* MainWindow = nullptr;
CountingForm* OtherWindow = nullptr;

using ApplicationCase = QtCase;

TEST_F(ApplicationCase, OnShowFiresOnceAcrossMinimiseAndRestore) {
    for (bool tray : {false, true}) {
        SCOPED_TRACE(tray ? "with a tray" : "without a tray");
        TTrayIcon::SetSystemTrayAvailableForTests(tray);
        Application->CreateForm(MainWindow);
        (new TTrayIcon(MainWindow))->SetVisible(true);
        int restores = 0;
        Application->OnRestore = [&](TObject* sender) {
            EXPECT_EQ(sender, Application);
            ++restores;
        };
        QWidget* w = MainWindow->Widget();

        MainWindow->Show();
        EXPECT_TRUE(w->isVisible());
        Application->Minimize();
        EXPECT_TRUE(IsIconic(Application->Handle()));
        EXPECT_TRUE(MainWindow->Visible());
        // Into the tray the window goes away; without one it stays reachable, minimised.
        EXPECT_EQ(w->isVisible(), !tray);
        EXPECT_EQ(w->isMinimized(), !tray);
        Application->Minimize();
        Application->Restore();
        Application->Restore();
        EXPECT_TRUE(w->isVisible());
        EXPECT_FALSE(w->isMinimized());
        EXPECT_FALSE(IsIconic(Application->Handle()));
        EXPECT_EQ(MainWindow->shows, 1);
        EXPECT_EQ(restores, 1);

        // Only Visible going from false to true shows the form again.
        MainWindow->Show();
        MainWindow->Hide();
        MainWindow->Show();
        EXPECT_EQ(MainWindow->shows, 2);
        ReleaseApplicationForms();
    }
}

// Each probe's OnCreate looks for itself through its global pointer.
struct Probe : CountingForm {
    Probe(TComponent* owner, std::function<TForm*()> global) : CountingForm(owner) {
        OnCreate = [this, global](TObject* sender) {
            foundItself = global() == this && sender == this;
            mainDuringCreate = Application->MainForm();
        };
    }
    bool foundItself = false;
    TForm* mainDuringCreate = nullptr;
};
struct FirstProbe : Probe {
    explicit FirstProbe(TComponent* owner);
};
struct SecondProbe : Probe {
    explicit SecondProbe(TComponent* owner);
};
FirstProbe* First = nullptr;
SecondProbe* Second = nullptr;
FirstProbe::FirstProbe(TComponent* owner) : Probe(owner, [] { return First; }) {}
SecondProbe::SecondProbe(TComponent* owner) : Probe(owner, [] { return Second; }) {}

TEST_F(ApplicationCase, CreateFormAssignsTheGlobalBeforeOnCreateAndTheFirstIsMain) {
    First = nullptr;
    Second = nullptr;
    Application->CreateForm(First);
    Application->CreateForm(Second);
    EXPECT_TRUE(First->foundItself);
    EXPECT_TRUE(Second->foundItself);
    // As in the class library, the main form is named once its OnCreate is over.
    EXPECT_EQ(First->mainDuringCreate, nullptr);
    EXPECT_EQ(Second->mainDuringCreate, First);
    EXPECT_EQ(Application->MainForm(), First);
    EXPECT_FALSE(First->Visible());
    EXPECT_EQ(First->shows, 0);
}

TEST_F(ApplicationCase, TerminateDuringStartUpShowsNothing) {
    struct Fatal : CountingForm {
        explicit Fatal(TComponent* owner) : CountingForm(owner) {
            OnCreate = [this](TObject*) {
                MessageBox("fatal", Application->Title(), MB_OK | MB_ICONERROR);
                Application->Terminate();
                secondAnswer = MessageBox("again?", Application->Title(), MB_YESNO);
            };
        }
        int secondAnswer = 0;
    };
    Fatal* form = nullptr;
    Application->CreateForm(form);
    Application->Run();
    EXPECT_EQ(form->shows, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(form->Widget()->isVisible());
    EXPECT_EQ(form->secondAnswer, IDCANCEL);
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_EQ(form->shows, 0);
    ASSERT_EQ(machine.boxes().size(), 1u);  // the second box never reached anyone
    EXPECT_EQ(machine.boxes()[0].text, "fatal");
}

TEST_F(ApplicationCase, RunShowsTheMainFormUnlessToldAndEndsWhenItCloses) {
    for (bool show : {true, false}) {
        SCOPED_TRACE(show ? "shown" : "hidden start");
        Application->ResetTerminated();
        Application->SetShowMainForm(show);
        Application->CreateForm(MainWindow);
        Application->CreateForm(OtherWindow);
        bool visibleInLoop = !show;
        QueueOnUiThread([&] {
            visibleInLoop = MainWindow->Widget()->isVisible();
            MainWindow->Close();
        });
        Application->Run();
        EXPECT_EQ(visibleInLoop, show);
        EXPECT_EQ(MainWindow->shows, show ? 1 : 0);
        EXPECT_TRUE(Application->Terminated());
        EXPECT_FALSE(OtherWindow->Visible());
        ReleaseApplicationForms();
    }
}

TEST_F(ApplicationCase, AnErrorInAHandlerIsReportedAndTheLoopGoesOn) {
    Application->CreateForm(MainWindow);
    TTimer timer(MainWindow);
    timer.SetInterval(100);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) {
        ++ticks;
        throw Exception("timer failed");
    };
    MainWindow->OnShow = [](TObject*) { throw std::runtime_error("show failed"); };
    std::vector<int> ran;
    QueueOnUiThread([&] { throw EFOpenError("Cannot open file \"x.ini\""); });
    QueueOnUiThread([&] { ran.push_back(1); });
    QueueOnUiThread([&] { machine.clock.Advance(200); });
    QueueOnUiThread([&] { throw 42; });
    QueueOnUiThread([&] {
        ran.push_back(2);
        MainWindow->Close();
    });
    Application->Run();

    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(ticks, 2);
    EXPECT_TRUE(MainWindow->Widget()->isHidden());
    std::vector<AnsiString> texts;
    for (auto& b : machine.boxes()) {
        EXPECT_EQ(b.caption, "Vyn teste");
        EXPECT_EQ(b.flags, unsigned(MB_OK | MB_ICONERROR));
        texts.push_back(b.text);
    }
    EXPECT_EQ(texts, (std::vector<AnsiString>{"show failed", "Cannot open file \"x.ini\"", "timer failed",
                                              "timer failed", ""}));
}

TEST_F(ApplicationCase, AnErrorInOnCreateLeavesTheFormMade) {
    struct Broken : CountingForm {
        explicit Broken(TComponent* owner) : CountingForm(owner) {
            OnCreate = [](TObject*) { throw Exception("no modem"); };
        }
    };
    Broken* form = nullptr;
    Application->CreateForm(form);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Application->MainForm(), form);
    ASSERT_EQ(machine.boxes().size(), 1u);
    EXPECT_EQ(machine.boxes()[0].text, "no modem");
}

TEST_F(ApplicationCase, FormsAreFreedLastMadeFirstWithOnDestroy) {
    std::vector<AnsiString> order;
    Application->CreateForm(MainWindow);
    Application->CreateForm(OtherWindow);
    MainWindow->OnDestroy = [&](TObject*) { order.push_back("main"); };
    OtherWindow->OnDestroy = [&](TObject*) { order.push_back("other"); };
    ReleaseApplicationForms();
    EXPECT_EQ(order, (std::vector<AnsiString>{"other", "main"}));
    EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST(CommandLine, ParamStrReadsTheRawArguments) {
    TempMachine m;
    const char* argv[] = {"Mirvane", "--minimized", "-platform", "offscreen", "N\xC3\xA3o"};
    SetCommandLine(5, argv);
    EXPECT_EQ(ParamCount(), 4);
    EXPECT_EQ(ParamStr(0), Application->ExeName());
    EXPECT_EQ(ParamStr(1), "--minimized");
    EXPECT_EQ(ParamStr(2), "-platform");
    EXPECT_EQ(ParamStr(4), "Não"_a);
    EXPECT_EQ(ParamStr(5), "");
    EXPECT_EQ(ParamStr(-1), "");
}
}  // namespace
