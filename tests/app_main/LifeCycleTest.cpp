// The main window's life: the service objects it makes and deletes, the first showing (not
// configured, the default-connection question, the dial tone), the panels, the keys, the
// close question, the tray and the activation by a second start.
#include "support/app/MainFormCase.h"

#include "connection/Dialer.h"
#include "connection/Ieconnection.h"
#include "platform/Application.h"
#include "platform/qt/ClassLibrary.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include "settings/Checamail.h"
#include "settings/Conf.h"
#include "settings/Erros.h"
#include "settings/Log.h"
#include "settings/Logcon.h"
#include "settings/Xmlvyn.h"

#include <QWidget>

namespace {
using LifeCycleCase = MainFormCase;

const AnsiString kNotConfigured = "O Ruvozava Corvala ainda não foi configurado."_a;
const AnsiString kCloseWhileDialing = "O discador está tentando conectar, finalize a conexão antes de fechar."_a;
const AnsiString kCloseWhileConnected = "Você está conectado, deseja desconectar agora?"_a;

void twoModems(TempMachine& machine) { machine.writeMachineFile("devices.txt", "modem\tModem A\nmodem\tModem B\n"); }

TEST_F(LifeCycleCase, CreationMakesEveryServiceObjectAndRecordsTheProgramPath) {
    StartProgram(false);
    EXPECT_NE(Logger, nullptr);
    EXPECT_NE(XMLvyn, nullptr);
    EXPECT_NE(Conf, nullptr);
    EXPECT_NE(ChecaMail, nullptr);
    EXPECT_NE(Erros, nullptr);
    EXPECT_NE(LogCon, nullptr);
    EXPECT_NE(Dialer, nullptr);
    EXPECT_NE(IEConnection, nullptr);
    EXPECT_EQ(WindowLink, MainForm);
    EXPECT_TRUE(MainForm->Configured());  // one modem installed
    EXPECT_TRUE(MainForm->TrayIcon1->Visible());
    EXPECT_EQ(MainForm->TrayIcon1->IconIndex(), 0);
    EXPECT_EQ(MainForm->TrayIcon1->Hint(), "Ruvozava Corvala");
    EXPECT_EQ(MainForm->ImageList1->Count(), 2);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Vyn\\Ruvozava", false));
    EXPECT_EQ(reg.ReadString("discadorbinary"), Utf8ToAnsi(machine.path("Mirvane.exe")));
    // The tray menu of this edition.
    ASSERT_EQ(MainForm->PopupMenu1->Count(), 3);
    EXPECT_EQ(MainForm->PopupMenu1->Items(0)->Caption, "Restaurar");
    EXPECT_EQ(MainForm->PopupMenu1->Items(1)->Caption, "Desconectar");
    EXPECT_EQ(MainForm->PopupMenu1->Items(2)->Caption, "Sair");
}

TEST_F(LifeCycleCase, DestructionSavesTheLogAndDeletesEveryServiceObject) {
    StartProgram();
    Logger->Add("linha de teste");
    ReleaseApplicationForms();
    MainForm = nullptr;
    EXPECT_EQ(Logger, nullptr);
    EXPECT_EQ(XMLvyn, nullptr);
    EXPECT_EQ(Conf, nullptr);
    EXPECT_EQ(ChecaMail, nullptr);
    EXPECT_EQ(Erros, nullptr);
    EXPECT_EQ(LogCon, nullptr);
    EXPECT_EQ(Dialer, nullptr);
    EXPECT_EQ(IEConnection, nullptr);
    EXPECT_EQ(WindowLink, nullptr);
    EXPECT_NE(machine.readProgramFile("log.txt").find("linha de teste"), std::string::npos);
}

TEST_F(LifeCycleCase, FirstStartNotConfiguredThenConfirmedEndsInTheWelcomeState) {
    twoModems(machine);
    machine.answerBoxes({IDOK, mrOk});
    StartProgram();
    EXPECT_FALSE(MainForm->Configured());
    auto b = boxes();
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].text, kNotConfigured);
    EXPECT_EQ(b[0].flags & MB_TYPEMASK, unsigned(MB_OK));
    EXPECT_TRUE(b[1].flags & MB_MODALFORM);
    EXPECT_EQ(b[1].caption, "Configurar Ruvozava Corvala");
    EXPECT_EQ(MainForm->State(), 4);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(MainForm->Visible());
    // Configured now: a later settings pass that is cancelled does not end the program.
    EXPECT_FALSE(MainForm->MustConfigure());
    machine.answerBoxes({mrCancel});
    MainForm->SetPanel(2);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(MainForm->State(), 4);
    // Welcome state: only the skin and its button.
    EXPECT_FALSE(MainForm->Memo1->Visible());
    EXPECT_FALSE(MainForm->ImageSouNovo->Visible());
    EXPECT_FALSE(MainForm->ImageJaSouUsuario->Visible());
    // No default-connection question on this path.
    EXPECT_EQ(boxesSaying(DefaultQuestion()), 0);
}

TEST_F(LifeCycleCase, FirstStartNotConfiguredThenCancelledEndsTheProgram) {
    twoModems(machine);
    machine.answerBoxes({IDOK, mrCancel});
    StartProgram();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(MainForm->Visible());
    EXPECT_EQ(MainForm->State(), 1);
}

struct DefaultAnswer {
    int answer;
    bool madeDefault;
};
class DefaultQuestionCase : public MainFormCase, public ::testing::WithParamInterface<DefaultAnswer> {};

TEST_P(DefaultQuestionCase, IsAskedOncePerRunAndOnlyYesMakesTheEntryTheDefault) {
    machine.answerBoxes({GetParam().answer});
    StartProgram();
    ASSERT_EQ(boxesSaying(DefaultQuestion()), 1);
    EXPECT_EQ(boxes().back().caption, "Ruvozava Corvala");
    EXPECT_EQ(IEConnection->IsDefault(Dialer->EntryName()), GetParam().madeDefault);
    // Later panels and restores do not ask again.
    MainForm->SetPanel(1);
    MainForm->TrayIcon1Restore(nullptr);
    MainForm->Restaurar1Click(nullptr);
    EXPECT_EQ(boxesSaying(DefaultQuestion()), 1);
}
INSTANTIATE_TEST_SUITE_P(Answers, DefaultQuestionCase,
                         ::testing::Values(DefaultAnswer{IDYES, true}, DefaultAnswer{IDNO, false},
                                           DefaultAnswer{IDCANCEL, false}));

TEST_F(LifeCycleCase, NoQuestionWhenTheEntryIsTheDefaultAlready) {
    StartProgram(false);
    IEConnection->SetDefault(Dialer->EntryName());
    MainForm->SetVisible(true);
    EXPECT_TRUE(MainForm->Shown());
    EXPECT_EQ(boxesSaying(DefaultQuestion()), 0);
}

TEST_F(LifeCycleCase, TheFirstShowingSwitchesTheChosenModemToBlindDialling) {
    machine.writeProgramFile("Mirvane.ini", "[Principal]\r\nModem=Modem Padr\xC3\xA3o 56K\r\n");
    SeedRegistry(
        "[HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000]\n"
        "\"Model\" = REG_SZ \"Modem Padr\xC3\xA3o 56K\"\n"
        "\"Default\" = REG_BINARY 3c 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
        "\"UserInit\" = REG_SZ \"\"\n");
    StartProgram(false);
    EXPECT_TRUE(IEConnection->GetWaitDialTone());
    MainForm->SetVisible(true);
    EXPECT_FALSE(IEConnection->GetWaitDialTone());
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000",
                            false));
    EXPECT_EQ(reg.ReadString("UserInit"), "ATX3");
}

}  // namespace
