// Enter and Esc in each panel state, and closing the window while dialing, connected, or
// connected from outside.
#include "support/app/MainFormCase.h"

#include "connection/Dialer.h"
#include "platform/Application.h"

#include <QWidget>

namespace {
using KeysCase = MainFormCase;
using CloseCase = MainFormCase;

const AnsiString kCloseWhileDialing = "O discador está tentando conectar, finalize a conexão antes de fechar."_a;
const AnsiString kCloseWhileConnected = "Você está conectado, deseja desconectar agora?"_a;

TEST_F(KeysCase, EnterInTheLoginStateDialsWithTheAnonymousAccount) {
    writeScript("dial hang\n");
    StartProgram();
    ASSERT_EQ(MainForm->State(), 1);
    key(Qt::Key_Return);
    EXPECT_EQ(MainForm->State(), 3);
    EXPECT_TRUE(MainForm->Memo1->Visible());
    ASSERT_TRUE(Dialer->IsDialing());
    auto dials = sim->Calls("RasDialA");
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0].Arg("szUserName"), "vyn");
    EXPECT_EQ(dials[0].Arg("szPassword"), "zuq");
    EXPECT_EQ(dials[0].Arg("szPhoneNumber"), "0");
}

TEST_F(KeysCase, EnterIsSwallowedInEveryStateAndDialsOnlyInTheLoginState) {
    writeScript("dial hang\n");
    StartProgram();
    for (int state : {3, 4, 1}) {
        SCOPED_TRACE(state);
        if (state == 1 && Dialer->IsDialing()) Dialer->HangUp(true);
        MainForm->SetPanel(state);
        unsigned before = sim->Dials();
        char k = 13;
        MainForm->FormKeyPress(nullptr, k);
        EXPECT_EQ(k, 0);
        EXPECT_EQ(sim->Dials(), before + (state == 1 ? 1u : 0u));
    }
}

TEST_F(KeysCase, EscHangsUpInTheStatusStateGoesBackFromWelcomeAndDoesNothingInLogin) {
    writeScript("dial hang\n");
    StartProgram();
    // Login: nothing, and the key goes on.
    char k = 27;
    MainForm->FormKeyPress(nullptr, k);
    EXPECT_EQ(k, 27);
    EXPECT_EQ(MainForm->State(), 1);
    // Welcome: back to login.
    MainForm->SetPanel(4);
    key(Qt::Key_Escape);
    EXPECT_EQ(MainForm->State(), 1);
    // Status while dialing: hang up. The status view has the focus: the window sees the key first.
    key(Qt::Key_Return);
    ASSERT_TRUE(Dialer->IsDialing());
    MainForm->Memo1->SetFocus();
    key(Qt::Key_Escape, MainForm->Memo1->Widget());
    EXPECT_FALSE(Dialer->IsDialing());
    EXPECT_EQ(MainForm->State(), 1);
    EXPECT_EQ(sim->Calls("RasHangUpA").size(), 1u);
}

TEST_F(KeysCase, WhileDialingTheConnectZoneHangsUpAndEnterInTheLoginStateIsIgnoredByTheEngine) {
    writeScript("dial hang\n");
    StartProgram();
    click(300, 268);
    ASSERT_TRUE(Dialer->IsDialing());
    EXPECT_EQ(MainForm->State(), 3);
    click(300, 268);
    EXPECT_FALSE(Dialer->IsDialing());
    EXPECT_EQ(MainForm->State(), 1);
    EXPECT_EQ(sim->Calls("RasHangUpA").size(), 1u);
}

TEST_F(CloseCase, ClosingWhileDialingIsRefusedWithItsMessage) {
    writeScript("dial hang\n");
    StartProgram();
    key(Qt::Key_Return);
    MainForm->Close();
    EXPECT_EQ(boxesSaying(kCloseWhileDialing), 1);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(MainForm->Visible());
    EXPECT_TRUE(Dialer->IsDialing());
}

struct CloseAnswer {
    int answer;
    bool closes;
    bool hangsUp;
};
class CloseConnectedCase : public MainFormCase, public ::testing::WithParamInterface<CloseAnswer> {};

TEST_P(CloseConnectedCase, ClosingWhileConnectedAsks) {
    StartProgram();
    ConnectByEnter();
    machine.answerBoxes({GetParam().answer});
    MainForm->Close();
    auto b = boxes();
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(b.back().text, kCloseWhileConnected);
    EXPECT_EQ(b.back().caption, "Ruvozava Corvala");
    EXPECT_EQ(b.back().flags & MB_TYPEMASK, unsigned(MB_YESNOCANCEL));
    EXPECT_EQ(Application->Terminated(), GetParam().closes);
    EXPECT_EQ(MainForm->Visible(), !GetParam().closes);
    EXPECT_EQ(Dialer->IsConnected(), !GetParam().hangsUp);
    EXPECT_EQ(sim->Calls("RasHangUpA").size(), GetParam().hangsUp ? 1u : 0u);
    if (GetParam().hangsUp) {
        EXPECT_EQ(MainForm->State(), 1);
    }
}
INSTANTIATE_TEST_SUITE_P(Answers, CloseConnectedCase,
                         ::testing::Values(CloseAnswer{IDYES, true, true}, CloseAnswer{IDNO, true, false},
                                           CloseAnswer{IDCANCEL, false, false}));

TEST_F(CloseCase, AConnectionMadeOutsideTheProgramClosesWithoutAQuestion) {
    writeScript("outside \"Conex\xC3\xA3o do vizinho\"\n");
    StartProgram();
    Advance(1000);
    ASSERT_TRUE(Dialer->IsConnected());
    ASSERT_TRUE(Dialer->IsExternal());
    std::size_t before = boxes().size();
    MainForm->Close();
    EXPECT_EQ(boxes().size(), before);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(Dialer->IsConnected());
}

TEST_F(CloseCase, NotConnectedClosesWithoutAQuestion) {
    StartProgram();
    std::size_t before = boxes().size();
    MainForm->Close();
    EXPECT_EQ(boxes().size(), before);
    EXPECT_TRUE(Application->Terminated());
}
}  // namespace
