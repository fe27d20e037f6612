// The main window's commands: the zones, the labels, the tray menu, and the handlers the
// other edition's menu binds (mail check, history, links), each with what it hands the shell.
#include "support/app/MainFormCase.h"

#include "connection/Dialer.h"
#include "platform/Application.h"
#include "settings/Checamail.h"
#include "settings/Conf.h"
#include "settings/Hosts.h"
#include "support/Pop3TestServer.h"

#include <QWidget>
#include <filesystem>

namespace {
using CommandsCase = MainFormCase;

const AnsiString kCourtesy =
    "Utilize a função de discar para a linha convencional quando seu Corvala não estiver disponível.\n\n"
    "O discador para linha convencional é uma cortesia do provedor Vyn. As ligações serão cobradas\n"
    "conforme preços da sua operadora."_a;
const AnsiString kCloseWhileDialing = "O discador está tentando conectar, finalize a conexão antes de fechar."_a;
const AnsiString kCloseWhileConnected = "Você está conectado, deseja desconectar agora?"_a;

// The files the shell was asked to open, in order.
std::vector<AnsiString> opened() {
    std::vector<AnsiString> out;
    for (const ShellLine& l : ShellLog()) out.push_back(l.file);
    return out;
}

// A program that starts and ends at once, in the program's folder.
void installProgram(const TempMachine& machine, const std::string& name) {
    machine.writeProgramFile(name, "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(machine.path(name), std::filesystem::perms::owner_all);
}

TEST(OtherEditionPath, RoamingGoesBeforeTheExtensionOfTheFileNameOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Program Files\\Vyn\\Mirvane.exe", "C:\\Program Files\\Vyn\\MirvaneRoaming.exe"},
        {"C:\\Vyn.1\\Mirvane.exe", "C:\\Vyn.1\\MirvaneRoaming.exe"},
        {"C:\\Vyn.1\\Mirvane", "C:\\Vyn.1\\MirvaneRoaming"},  // a dot in a folder is no extension
        {"/opt/vyn.d/Mirvane", "/opt/vyn.d/MirvaneRoaming"},
        {"/opt/vyn/Mirvane.bin.exe", "/opt/vyn/Mirvane.binRoaming.exe"},
        {"Mirvane.exe", "MirvaneRoaming.exe"},
        {"Mirvane", "MirvaneRoaming"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(OtherEditionPath(in), out) << in;
}

TEST_F(CommandsCase, TheHelpZoneOpensTheHelpPageBesideTheProgram) {
    StartProgram();
    click(205, 90);
    std::filesystem::create_directories(machine.path("FAQ"));
    machine.writeProgramFile("FAQ/ajuda_discador.html", "<html></html>");
    click(205, 90);
    auto log = ShellLog();
    ASSERT_EQ(log.size(), 2u);
    for (const ShellLine& l : log) {
        EXPECT_EQ(l.operation, "open");
        EXPECT_EQ(l.file, machine.programFile("FAQ\\ajuda_discador.html"));
        EXPECT_EQ(l.parameters, "");
        EXPECT_EQ(l.directory, "");
        EXPECT_EQ(l.show, 1);
    }
    EXPECT_EQ(log[0].result, 3);  // no such folder: nothing shown, nothing else happens
    EXPECT_GT(log[1].result, 32);
    EXPECT_EQ(boxes().size(), 1u);  // only the first showing's question
}

TEST_F(CommandsCase, TheConventionalLineZoneShowsTheCourtesyMessageAndKeepsRunningWhenTheProgramIsMissing) {
    StartProgram();
    std::size_t before = boxes().size();
    click(150, 265);
    auto b = boxes();
    ASSERT_EQ(b.size(), before + 1);
    EXPECT_EQ(b.back().text, kCourtesy);
    EXPECT_EQ(b.back().flags & MB_TYPEMASK, unsigned(MB_OK));
    ASSERT_EQ(opened(), std::vector<AnsiString>{Utf8ToAnsi(machine.path("MirvaneRoaming.exe"))});
    EXPECT_EQ(ShellLog()[0].result, 2);
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(CommandsCase, TheConventionalLineZoneEndsThisInstanceWithoutHangingUpWhenTheProgramStarts) {
    installProgram(machine, "MirvaneRoaming.exe");
    StartProgram();
    ConnectByEnter();
    std::size_t before = boxes().size();
    click(150, 265);
    EXPECT_TRUE(Application->Terminated());
    ASSERT_EQ(boxes().size(), before + 1);
    EXPECT_EQ(boxes().back().text, kCourtesy);  // no close question
    EXPECT_TRUE(Dialer->IsConnected());
    EXPECT_TRUE(sim->Calls("RasHangUpA").empty());
    EXPECT_GT(ShellLog().back().result, 32);
}

TEST_F(CommandsCase, TheConnectZoneDialsAndThenHangsUpAConnectionOfAnyKind) {
    writeScript("dial connect after 2s\noutside \"Vizinho\" at 60s\n");
    scriptQuietService();
    StartProgram();
    click(300, 268);
    EXPECT_EQ(MainForm->State(), 3);
    ASSERT_TRUE(Dialer->IsDialing());
    Advance(2000);
    ASSERT_TRUE(Dialer->IsConnected());
    WaitForSequence();
    click(300, 268);
    EXPECT_FALSE(Dialer->IsConnected());
    EXPECT_EQ(MainForm->State(), 1);
    // A connection adopted from outside is hung up the same way.
    RunTo(61000);
    ASSERT_TRUE(Dialer->IsExternal());
    click(300, 268);
    EXPECT_FALSE(Dialer->IsConnected());
    EXPECT_EQ(sim->Calls("RasHangUpA").size(), 2u);
}

TEST_F(CommandsCase, TrayDesconectarHangsUpAConnectionOrADialAndGoesToTheLoginState) {
    writeScript("dial hang\n");
    StartProgram();
    // Idle: only the panel.
    MainForm->SetPanel(4);
    MainForm->Desconectar2->Click();
    EXPECT_EQ(MainForm->State(), 1);
    EXPECT_TRUE(sim->Calls("RasHangUpA").empty());
    // A dial under way stops too.
    key(Qt::Key_Return);
    ASSERT_TRUE(Dialer->IsDialing());
    MainForm->Desconectar2->Click();
    EXPECT_FALSE(Dialer->IsDialing());
    EXPECT_EQ(MainForm->State(), 1);
    EXPECT_EQ(sim->Calls("RasHangUpA").size(), 1u);
}

TEST_F(CommandsCase, TrayDesconectarHangsUpAConnection) {
    StartProgram();
    ConnectByEnter();
    MainForm->Desconectar2->Click();
    EXPECT_FALSE(Dialer->IsConnected());
    EXPECT_EQ(MainForm->State(), 1);
    EXPECT_NE(machine.readProgramFile("logs.txt").find("T\xE9rmino conex\xE3o: "), std::string::npos);
}

TEST_F(CommandsCase, TraySairWhileDialingGoesToLoginAndIsRefused) {
    writeScript("dial hang\n");
    StartProgram();
    key(Qt::Key_Return);
    MainForm->Desconectar1->Click();
    EXPECT_EQ(MainForm->State(), 1);
    EXPECT_EQ(boxesSaying(kCloseWhileDialing), 1);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(Dialer->IsDialing());
}

TEST_F(CommandsCase, TraySairWhileConnectedAndCancelledStaysOpenInTheLoginState) {
    StartProgram();
    ConnectByEnter();
    machine.answerBoxes({IDCANCEL});
    MainForm->Desconectar1->Click();
    EXPECT_EQ(boxesSaying(kCloseWhileConnected), 1);
    EXPECT_EQ(MainForm->State(), 1);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(Dialer->IsConnected());
}

TEST_F(CommandsCase, TraySairWhenIdleEndsTheProgram) {
    StartProgram();
    MainForm->Desconectar1->Click();
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(CommandsCase, TheHiddenLabelsAndImageActAsTheirCommandsAndNeverShow) {
    writeScript("dial hang\n");
    StartProgram();
    for (int s : {1, 3, 4}) {
        MainForm->SetPanel(s);
        for (TControl* c :
             {static_cast<TControl*>(MainForm->LabelDialDiscar), static_cast<TControl*>(MainForm->Label9),
              static_cast<TControl*>(MainForm->Label10), static_cast<TControl*>(MainForm->Label11),
              static_cast<TControl*>(MainForm->ComboBoxLogin), static_cast<TControl*>(MainForm->EditSenha)})
            EXPECT_FALSE(c->Visible()) << c->Name() << " in " << s;
        EXPECT_EQ(MainForm->Memo1->Visible(), s == 3);
    }
    MainForm->Label10->Click();  // "Rediscar" dials
    ASSERT_TRUE(Dialer->IsDialing());
    MainForm->Label11->Click();
    EXPECT_FALSE(Dialer->IsDialing());
    EXPECT_EQ(MainForm->State(), 1);
    MainForm->LabelDialDiscar->Click();
    ASSERT_TRUE(Dialer->IsDialing());
    MainForm->Label9->Click();
    EXPECT_FALSE(Dialer->IsDialing());
    MainForm->SetPanel(4);
    MainForm->ImageJaSouUsuario->Click();
    EXPECT_EQ(MainForm->State(), 1);
}

TEST_F(CommandsCase, HistoryOpensTheConnectionHistoryWhetherConnectedOrNot) {
    StartProgram();
    MainForm->Histricodeconexes1Click(nullptr);
    EXPECT_EQ(opened(), std::vector<AnsiString>{machine.programFile("logs.txt")});
}

TEST_F(CommandsCase, OnlyTheUserCentreOpensWhenNotConnected) {
    writeScript("outside \"Vizinho\" at 5s\n");
    StartProgram();
    auto allLinks = [] {
        MainForm->PginaInicial1Click(nullptr);
        MainForm->PramblenoVyn1Click(nullptr);
        MainForm->Zentel1Click(nullptr);
        MainForm->CentraldoUsurio1Click(nullptr);
    };
    allLinks();
    EXPECT_EQ(opened(), std::vector<AnsiString>{"http://www.vyn.example/portal.php?secao=centralusuario"});
    RunTo(6000);
    ASSERT_TRUE(Dialer->IsConnected());
    allLinks();
    std::vector<AnsiString> expected = {"http://www.vyn.example/portal.php?secao=centralusuario",
                                        "http://www.telecom.example/", "http://www.vyn.example/vyndownloads.html",
                                        "http://www.vyn.example/suporte.html",
                                        "http://www.vyn.example/portal.php?secao=centralusuario"};
    EXPECT_EQ(opened(), expected);
    for (const ShellLine& l : ShellLog()) {
        EXPECT_EQ(l.operation, "open");
        EXPECT_EQ(l.show, 1);
    }
}

struct MailCase {
    Pop3Script script;
    AnsiString message;
};

TEST_F(CommandsCase, TheManualMailCheckShowsTheCountAndStartsTheTimersPeriodAgain) {
    writeScript("outside \"Vizinho\" at 5s\n");
    StartProgram();
    // Not connected: nothing at all.
    MainForm->Checaremails1Click(nullptr);
    std::size_t quiet = boxes().size();
    RunTo(6000);
    ASSERT_TRUE(Dialer->IsConnected());
    // The anonymous account: the check does not apply, nothing shown.
    ChecaMail->Start();
    MainForm->Checaremails1Click(nullptr);
    EXPECT_EQ(boxes().size(), quiet);

    const MailCase cases[] = {
        {Pop3Script::Messages(0), "Não há mensagens."_a},
        {Pop3Script::Messages(1), "Você tem uma mensagem."_a},
        {Pop3Script::Messages(2), "Você tem 2 mensagens."_a},
        {Pop3Script::WrongPassword(), "Ocorreu um erro ao tentar acessar o servidor de e-mail"},
    };
    for (const MailCase& c : cases) {
        SCOPED_TRACE(AnsiToUtf8(c.message));
        Pop3TestServer pop(c.script);
        machine.writeMachineFile("hosts.txt", http.hostsLine(kDialerServiceHost) + pop.hostsLine(kMailHost));
        Conf->SetUser("ana");
        Conf->SetPassword("segredo");
        ChecaMail->Start();
        ChecaMail->Stop();
        std::size_t before = boxes().size();
        MainForm->Checaremails1Click(nullptr);
        ASSERT_EQ(boxes().size(), before + 1);
        EXPECT_EQ(boxes().back().text, c.message);
        EXPECT_TRUE(ChecaMail->TimerEnabled());
        EXPECT_EQ(pop.connections(), 2);
    }
    // Switched off: nothing shown, the server not asked.
    Pop3TestServer pop(Pop3Script::Messages(3));
    machine.writeMachineFile("hosts.txt", http.hostsLine(kDialerServiceHost) + pop.hostsLine(kMailHost));
    Conf->SetAutoCheckMail(false);
    std::size_t before = boxes().size();
    MainForm->Checaremails1Click(nullptr);
    EXPECT_EQ(boxes().size(), before);
    EXPECT_EQ(pop.connections(), 0);
}
}  // namespace
