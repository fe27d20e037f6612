// What Brenwick's main window does: its first showing, the dial with the charges notice,
// the new-user command, the mail toggle, the Corvala-line zone, and the full tray menu.
#include "BrenwickCase.h"

#include "connection/Dialer.h"
#include "connection/Ieconnection.h"
#include "platform/Application.h"
#include "platform/SysUtils.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include "settings/Conf.h"
#include "settings/Hosts.h"
#include "settings/Xmlvyn.h"
#include "support/app/ShellLog.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <filesystem>

namespace {
using BrenwickCommands = BrenwickCase;

const AnsiString kNotConfigured = "O Ruvozava Corvala ainda não foi configurado para uso em linha convencional."_a;

std::vector<AnsiString> accounts(RasSimControl* sim) {
    std::vector<AnsiString> out;
    for (auto& d : sim->Calls("RasDialA")) out.push_back(d.Arg("szUserName") + "/" + d.Arg("szPassword"));
    return out;
}

TEST_F(BrenwickCommands, NotConfiguredTheNoticeThenTheSettingsDialogWhoseCancelEndsTheProgram) {
    machine.answerBoxes({IDOK, mrCancel});
    StartProgram();
    auto b = boxes();
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].text, kNotConfigured);
    EXPECT_EQ(b[0].flags & MB_TYPEMASK, unsigned(MB_OK));
    EXPECT_TRUE(b[1].flags & MB_MODALFORM);
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(BrenwickCommands, ConfiguredTheCityIsSelectedTheQuestionAskedAndTheModemLeftAlone) {
    machine.writeProgramFile("Mirvane.ini",
                             "[Principal]\r\nEstado=SP\r\nCidade=Campinas\r\n"
                             "Modem=Modem Padr\xC3\xA3o 56K\r\nChecagemAutomaticaEmails=0\r\n");
    SeedRegistry(
        "[HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000]\n"
        "\"Model\" = REG_SZ \"Modem Padr\xC3\xA3o 56K\"\n"
        "\"Default\" = REG_BINARY 3c 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
        "\"UserInit\" = REG_SZ \"\"\n");
    machine.answerBoxes({IDYES});
    StartProgram(false);
    EXPECT_TRUE(W()->Checagemautomticadeemails1->Checked);  // the form's own tick until the first showing
    MainForm->SetVisible(true);
    EXPECT_EQ(boxTexts(), std::vector<AnsiString>{DefaultQuestion()});
    EXPECT_TRUE(IEConnection->IsDefault(Dialer->EntryName()));
    EXPECT_EQ(XMLvyn->GetPhone(), "32345678");
    EXPECT_FALSE(W()->Checagemautomticadeemails1->Checked);
    EXPECT_TRUE(IEConnection->GetWaitDialTone());
    EXPECT_EQ(MainForm->State(), 1);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Vyn\\Ruvozava", false));
    EXPECT_EQ(reg.ReadString("discadorbinary"), Utf8ToAnsi(machine.path("MirvaneRoaming.exe")));
}

TEST_F(BrenwickCommands, EveryDialCommandShowsTheChargesNoticeThenDialsTheTypedAccount) {
    Configure();
    writeScript("dial hang\n");
    StartProgram();
    // Discar, then Enter after a hang-up, then Rediscar while that dial runs (ignored).
    const struct {
        const char *login, *password;
        std::function<void()> act;
        std::vector<AnsiString> accounts;
    } ways[] = {
        {"maria", "segredo", [] { MainForm->LabelDialDiscar->OnClick(nullptr); }, {"maria/segredo"}},
        {"",
         "",
         [this] {
             Dialer->HangUp(true);
             MainForm->SetPanel(1);
             key(Qt::Key_Return);
         },
         {"maria/segredo", "vyn/zuq"}},
        {"joana", "x", [] { MainForm->Label10->OnClick(nullptr); }, {"maria/segredo", "vyn/zuq"}},
    };
    int notices = 0;
    for (auto& w : ways) {
        MainForm->ComboBoxLogin->SetText(w.login);
        MainForm->EditSenha->SetText(w.password);
        w.act();
        EXPECT_EQ(boxesSaying(kChargesNotice), ++notices);
        EXPECT_EQ(boxes().back().flags & MB_TYPEMASK, unsigned(MB_OK));
        EXPECT_EQ(MainForm->State(), 3);
        EXPECT_EQ(accounts(sim), w.accounts);
    }
}

TEST_F(BrenwickCommands, NewUserOpensTheSignUpPageWhenConnectedElseDialsAnonymously) {
    Configure();
    StartProgram();
    const std::function<void()> ways[] = {
        [this] { click(370, 110); },
        [] { W()->Criarnovaconta1->Click(); },
        [] { W()->ImageSouNovo->OnClick(W()->ImageSouNovo); },
    };
    for (const auto& way : ways) {
        sim->Reset();
        writeScript("dial connect after 2s\n");
        scriptQuietService();
        MainForm->SetPanel(1);
        MainForm->ComboBoxLogin->SetText("maria");
        MainForm->EditSenha->SetText("segredo");
        way();
        EXPECT_EQ(MainForm->State(), 3);
        EXPECT_EQ(MainForm->ComboBoxLogin->Text() + MainForm->EditSenha->Text(), "");
        EXPECT_EQ(accounts(sim), std::vector<AnsiString>{"vyn/zuq"});
        Advance(2000);
        ASSERT_TRUE(Dialer->IsConnected());
        WaitForSequence();
        std::size_t shellCalls = ShellLog().size();
        way();
        ASSERT_EQ(ShellLog().size(), shellCalls + 1);
        EXPECT_EQ(ShellLog().back().operation + " " + ShellLog().back().file, "open " + SignUpPage());
        EXPECT_EQ(std::pair(sim->Dials(), sim->Calls("RasHangUpA").size()), std::pair(1u, std::size_t{0}));
        Dialer->HangUp(true);
    }
}

TEST_F(BrenwickCommands, TheMailToggleWritesTheSharedFileAndTheTickFollows) {
    Configure();
    StartProgram();
    auto* toggle = W()->Checagemautomticadeemails1;
    for (bool expected : {false, true, false}) {
        toggle->Click();
        EXPECT_EQ(toggle->Checked, expected);
        EXPECT_NE(machine.readProgramFile("Mirvane.ini")
                      .find(expected ? "ChecagemAutomaticaEmails=1" : "ChecagemAutomaticaEmails=0"),
                  std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(machine.path("MirvaneRoaming.ini")));
    }
}

// Whether "Quorvelt.exe" lies in the program's folder.
class CorvalaLineZone : public BrenwickCase, public ::testing::WithParamInterface<bool> {};

TEST_P(CorvalaLineZone, EndsThisInstanceOnlyWhenItsStartWorksAndNeverHangsUp) {
    const bool installed = GetParam();
    if (installed) {
        machine.writeProgramFile("Quorvelt.exe", "#!/bin/sh\nexit 0\n");
        std::filesystem::permissions(machine.path("Quorvelt.exe"), std::filesystem::perms::owner_all);
    }
    Configure();
    StartProgram();
    ConnectByEnter();
    std::size_t before = boxes().size();
    click(150, 265);
    EXPECT_EQ(boxes().size(), before);  // no notice, no close question
    ASSERT_FALSE(ShellLog().empty());
    EXPECT_EQ(NativePath(ShellLog().back().file), machine.path("Quorvelt.exe"));
    EXPECT_EQ(ShellLog().back().result > 32, installed);
    EXPECT_EQ(Application->Terminated(), installed);
    EXPECT_TRUE(Dialer->IsConnected());
    EXPECT_TRUE(sim->Calls("RasHangUpA").empty());
}
INSTANTIATE_TEST_SUITE_P(Start, CorvalaLineZone, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Works" : "Fails"; });

TEST_F(BrenwickCommands, TheTrayMenuHasEveryItemInOrderAndARealClickRunsIt) {
    TTrayIcon::SetSystemTrayAvailableForTests(true);
    Configure();
    StartProgram();
    MainForm->TrayIcon1->RightClickUp();
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    auto captions = [](QMenu* m) {
        std::vector<std::string> out;
        for (QAction* a : m->actions()) out.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        return out;
    };
    EXPECT_EQ(captions(menu), (std::vector<std::string>{"Restaurar", "Histórico de conexões", "Checar e-mails",
                                                        "Checagem automática de e-mails", "Criar novo usuário",
                                                        "Links", "-", "Desconectar", "Sair"}));
    QAction* links = menu->actions().at(5);
    ASSERT_NE(links->menu(), nullptr);
    EXPECT_EQ(captions(links->menu()),
              (std::vector<std::string>{"Portal Vyn", "VynDownloads", "VynSuporte", "Central do Usuário"}));
    QAction* mail = menu->findChild<QAction*>("Checagemautomticadeemails1");
    ASSERT_NE(mail, nullptr);
    EXPECT_TRUE(mail->isChecked());
    // Chosen with the mouse: the user centre opens even when not connected.
    QAction* centre = links->menu()->actions().at(3);
    links->menu()->popup(menu->pos());
    QTest::mouseClick(links->menu(), Qt::LeftButton, {}, links->menu()->actionGeometry(centre).center());
    ASSERT_FALSE(ShellLog().empty());
    EXPECT_EQ(ShellLog().back().file, ProviderPage("/portal.php?secao=centralusuario"));
}

TEST_F(BrenwickCommands, SairFromTheTrayOfAHiddenStartStillEndsTheProgram) {
    Configure();
    StartProgram(false);  // "--minimized": the window has never shown
    W()->Desconectar1->Click();
    EXPECT_TRUE(MainForm->Shown());
    EXPECT_TRUE(Application->Terminated());
}
}  // namespace
