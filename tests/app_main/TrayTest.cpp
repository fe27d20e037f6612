// Minimising into the tray, coming back from it, a start hidden in it, the activation that
// a second start sends, and the mail check's outcome in the tray icon.
#include "support/app/MainFormCase.h"

#include "app/Instance.h"
#include "connection/Dialer.h"
#include "connection/Ieconnection.h"
#include "platform/Application.h"
#include "platform/qt/SingleInstance.h"
#include "settings/Checamail.h"
#include "settings/Conf.h"
#include "settings/Hosts.h"
#include "support/Pop3TestServer.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QWidget>

namespace {
using TrayCase = MainFormCase;

TEST_F(TrayCase, TheMinimiseZonesHideTheWindowIntoTheTrayAndARestoreDoesNotShowItAgain) {
    TTrayIcon::SetSystemTrayAvailableForTests(true);
    machine.answerBoxes({IDNO});
    StartProgram();
    ASSERT_EQ(boxesSaying(DefaultQuestion()), 1);
    for (QPoint zone : {QPoint(180, 40), QPoint(195, 68)}) {
        SCOPED_TRACE(zone.x());
        click(zone.x(), zone.y());
        EXPECT_TRUE(IsIconic(Application->Handle()));
        EXPECT_FALSE(window()->isVisible());
        EXPECT_TRUE(MainForm->Visible());  // the form's own flag stays
        // Nothing was closed: the program runs on in the tray.
        EXPECT_FALSE(Application->Terminated());
        MainForm->TrayIcon1->DoubleClick();
        EXPECT_FALSE(IsIconic(Application->Handle()));
        EXPECT_TRUE(window()->isVisible());
        EXPECT_EQ(boxesSaying(DefaultQuestion()), 1);  // the first showing ran once
    }
}

TEST_F(TrayCase, TheMailCheckShowsItsOutcomeInTheTrayIcon) {
    machine.answerBoxes({IDNO});
    StartProgram();
    struct {
        Pop3Script script;
        int image;
        AnsiString hint;
    } cases[] = {
        {Pop3Script::Messages(2), 1, "Você tem 2 mensagens."_a},
        {Pop3Script::Messages(0), 0, "Não há mensagens."_a},
        {Pop3Script::Messages(1), 1, "Você tem uma mensagem."_a},
        {Pop3Script::WrongPassword(), 0, "Ocorreu um erro ao tentar acessar o servidor de e-mail"},
    };
    Conf->SetUser("ana");
    Conf->SetPassword("segredo");
    for (auto& c : cases) {
        SCOPED_TRACE(AnsiToUtf8(c.hint));
        Pop3TestServer pop(c.script);
        machine.writeMachineFile("hosts.txt", http.hostsLine(kDialerServiceHost) + pop.hostsLine(kMailHost));
        int updates = MainForm->TrayIcon1->UpdateCount();
        ChecaMail->Start();
        EXPECT_EQ(MainForm->TrayIcon1->IconIndex(), c.image);
        EXPECT_EQ(MainForm->TrayIcon1->Hint(), c.hint);
        EXPECT_EQ(MainForm->TrayIcon1->UpdateCount(), updates + 1);
    }
}

TEST_F(TrayCase, AStartHiddenInTheTrayShowsTheWindowAndRunsItsFirstShowingAtTheFirstRestore) {
    TTrayIcon::SetSystemTrayAvailableForTests(true);
    machine.answerBoxes({IDNO});
    StartProgram(false);
    EXPECT_TRUE(MainForm->TrayIcon1->Visible());
    EXPECT_FALSE(MainForm->Visible());
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(MainForm->Shown());
    EXPECT_TRUE(boxes().empty());
    MainForm->TrayIcon1->DoubleClick();
    EXPECT_TRUE(Application->ShowMainForm());
    EXPECT_TRUE(MainForm->Visible());
    EXPECT_TRUE(window()->isVisible());
    EXPECT_TRUE(MainForm->Shown());
    EXPECT_EQ(boxesSaying(DefaultQuestion()), 1);
    // The menu's "Restaurar" afterwards: no second first showing.
    MainForm->Restaurar1->Click();
    EXPECT_EQ(boxesSaying(DefaultQuestion()), 1);
}

TEST_F(TrayCase, RestaurarShowsAWindowThatStartedHidden) {
    machine.answerBoxes({IDNO});
    StartProgram(false);
    MainForm->Restaurar1->Click();
    EXPECT_TRUE(MainForm->Visible());
    EXPECT_TRUE(MainForm->Shown());
    EXPECT_EQ(boxesSaying(DefaultQuestion()), 1);
}

TEST_F(TrayCase, TheTrayMenuOpensOnARightButtonRelease) {
    StartProgram();
    int before = MainForm->PopupMenu1->PopupCount();
    MainForm->TrayIcon1->RightClickUp();
    EXPECT_EQ(MainForm->PopupMenu1->PopupCount(), before + 1);
}

// The tray menu as the user has it: the real menu at the cursor, an item chosen with the
// mouse. Its handlers hang up (a bounded wait serving the queue) or ask (a dialog's loop).
struct TrayMenuRow {
    const char* what;
    const char* item;
    bool connect;  // else a dial that never ends is under way
    int answer;    // to the box, if one comes
    int asked;
    std::size_t hangUps;
    bool connectedAfter, dialingAfter, terminated;
};

class TrayMenuCase : public MainFormCase, public ::testing::WithParamInterface<TrayMenuRow> {};

TEST_P(TrayMenuCase, TheRealMenuOutlivesItsItemsHandler) {
    const TrayMenuRow& row = GetParam();
    TTrayIcon::SetSystemTrayAvailableForTests(true);
    machine.answerBoxes({IDNO});
    StartProgram();
    if (row.connect) {
        ConnectByEnter();
        EXPECT_FALSE(window()->isVisible());  // in the tray
    } else {
        writeScript("dial hang\n");
        key(Qt::Key_Return);
        ASSERT_TRUE(Dialer->IsDialing());
    }
    int asked = 0;
    // A real box runs the dialog's own loop.
    SetMessageBoxResponder([&](const MessageBoxRequest&) {
        ++asked;
        for (int i = 0; i < 3; ++i) Application->ProcessMessages();
        return row.answer;
    });

    MainForm->TrayIcon1->RightClickUp();
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* action = menu->findChild<QAction*>(row.item);
    ASSERT_NE(action, nullptr);
    bool clicking = true;
    auto freedWhileClicking = std::make_shared<bool>(false);
    QObject::connect(menu, &QObject::destroyed, [freedWhileClicking, &clicking] { *freedWhileClicking |= clicking; });
    QPointer<QMenu> alive(menu);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    clicking = false;
    SetMessageBoxResponder(nullptr);

    EXPECT_FALSE(*freedWhileClicking);
    ASSERT_TRUE(alive);  // closed, the tray's until the next one
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(asked, row.asked);
    EXPECT_EQ(MainForm->State(), 1);
    EXPECT_EQ(sim->Calls("RasHangUpA").size(), row.hangUps);
    EXPECT_EQ(Dialer->IsConnected(), row.connectedAfter);
    EXPECT_EQ(Dialer->IsDialing(), row.dialingAfter);
    EXPECT_EQ(Application->Terminated(), row.terminated);
    if (std::string(row.item) == "Desconectar2") {
        EXPECT_TRUE(window()->isVisible());  // restored
    }
    QObject::disconnect(menu, &QObject::destroyed, nullptr, nullptr);
}

const TrayMenuRow kTrayMenuRows[] = {
    {"DesconectarWhileConnected", "Desconectar2", true, IDYES, 0, 1, false, false, false},
    {"DesconectarWhileDialing", "Desconectar2", false, IDYES, 0, 1, false, false, false},
    {"SairAnsweredSimWhileConnected", "Desconectar1", true, IDYES, 1, 1, false, false, true},
    {"SairAnsweredCancelarWhileConnected", "Desconectar1", true, IDCANCEL, 1, 0, true, false, false},
    {"SairWhileDialing", "Desconectar1", false, IDOK, 1, 0, false, true, false},
};
INSTANTIATE_TEST_SUITE_P(Items, TrayMenuCase, ::testing::ValuesIn(kTrayMenuRows),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(TrayCase, AnActivationBringsTheWindowForwardRestoresItAndAnswersOne) {
    TTrayIcon::SetSystemTrayAvailableForTests(true);
    StartProgram(false);
    // No question at the first showing: only the activation brings the window forward.
    IEConnection->SetDefault(Dialer->EntryName());
    std::vector<std::pair<AnsiString, int>> calls;
    SetWindowCallRecorder([&](const AnsiString& call, HWND w, int arg) {
        if (w == Application->Handle()) calls.emplace_back(call, arg);
    });
    TMessage m{WM_ACTIVATEINSTANCE, 0, 0, 0};
    MainForm->Dispatch(m);
    EXPECT_EQ(m.Result, 1);
    // The application's window has no parent: four calls on it.
    std::vector<std::pair<AnsiString, int>> expected = {{"ShowWindow", SW_SHOW},
                                                        {"ShowWindow", SW_RESTORE},
                                                        {"SetForegroundWindow", 0},
                                                        {"BringWindowToTop", 0}};
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(MainForm->Visible());
    EXPECT_TRUE(window()->isVisible());
    EXPECT_TRUE(MainForm->Shown());
}

TEST_F(TrayCase, EverySecondStartsNotificationReachesTheWindowOnce) {
    machine.answerBoxes({IDNO});
    StartProgram();
    ASSERT_TRUE(AcquireInstance(kProgramTitle));
    int activations = 0;
    SetWindowCallRecorder([&](const AnsiString& call, HWND w, int) {
        if (w == Application->Handle() && call == "BringWindowToTop") ++activations;
    });
    for (int i = 0; i < 3; ++i) NotifyRunningInstance(kProgramTitle);
    EXPECT_TRUE(PumpUntil([&] { return activations >= 3; }));
    // Nothing more arrives.
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(activations, 3);
    ReleaseInstance(kProgramTitle);
}

TEST_F(TrayCase, AQuestionAskedOnActivationMayRunAModalLoopWhileTheSenderGoes) {
    StartProgram(false);
    ASSERT_TRUE(AcquireInstance(kProgramTitle));
    int asked = 0;
    // The question's modal loop: the second start has gone meanwhile and its connection
    // closes and is freed inside it.
    SetMessageBoxResponder([&](const MessageBoxRequest&) {
        ++asked;
        for (int i = 0; i < 50; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        return int(IDNO);
    });
    NotifyRunningInstance(kProgramTitle);
    EXPECT_TRUE(PumpUntil([&] { return MainForm->Shown(); }));
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(MainForm->Visible());
    ReleaseInstance(kProgramTitle);
}

TEST_F(TrayCase, TheActivationLeavesADialAlone) {
    writeScript("dial hang\n");
    machine.answerBoxes({IDNO});
    StartProgram();
    key(Qt::Key_Return);
    ASSERT_TRUE(Dialer->IsDialing());
    TMessage m{WM_ACTIVATEINSTANCE, 0, 0, 0};
    MainForm->Dispatch(m);
    EXPECT_TRUE(Dialer->IsDialing());
    EXPECT_EQ(MainForm->State(), 3);
    EXPECT_TRUE(sim->Calls("RasHangUpA").empty());
}
}  // namespace
