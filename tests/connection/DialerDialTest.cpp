// Dials on the simulated service and the fake clock: the status lines, in order and at
// their moments, the failed-dial records, the redials and the give-up.
#include "support/engine/EngineFixture.h"

#include "platform/Application.h"
#include "settings/Xmlvyn.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {
using Dialing = EngineCase;

const char* kBusyText = "text 676 A linha est\xC3\xA1 ocupada.\n";
const char* kGiveUp = "Não foi possível conectar após 5 tentativas, tente novamente mais tarde.";
}  // namespace

TEST_F(Dialing, AnonymousSuccess) {
    writeScript("dial connect after 4000 states 0,2,5,14 speed 52000\n");
    scriptQuietService();
    StartEngine();
    RunTo(500);
    dialer->Dial("", "");
    EXPECT_TRUE(dialer->IsDialing());
    RunTo(4900);
    EXPECT_TRUE(dialer->IsConnected());
    EXPECT_FALSE(dialer->IsDialing());
    EXPECT_FALSE(dialer->IsExternal());
    WaitForSequence();
    EXPECT_EQ(lines(), (std::vector<Line>{
                           L(500, "Telefone: 0"),
                           L(900, "Discando..."),
                           L(2900, "Verificando usuário e senha..."),
                           L(3900, "Usuário autenticado."),
                           L(4900, "Conexão efetuada com êxito."),
                           L(4900, "Conectado a 52.000 bps"),
                       }));
    // The dial went out with the anonymous account and the entry's name.
    auto dials = sim->Calls("RasDialA");
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0].ms, 900);
    EXPECT_EQ(dials[0].Arg("szEntryName"), "Ruvozava Corvala 1.3.0");
    EXPECT_EQ(dials[0].Arg("szPhoneNumber"), "0");
    EXPECT_EQ(dials[0].Arg("szUserName"), "vyn");
    EXPECT_EQ(dials[0].Arg("szPassword"), "zuq");
    EXPECT_EQ(conf->GetUser(), "vyn");
    EXPECT_EQ(conf->GetPassword(), "zuq");
    EXPECT_EQ(requests(), (std::vector<std::string>{"POST conexao.php", "GET versao.php"}));
    EXPECT_EQ(history(), Utf8ToAnsi("Início conexão: 05/11/2004 14:03:13\r\n"));
    EXPECT_TRUE(errorRecords().empty());
    // Nothing more happens while the line stays up.
    RunTo(60000);
    EXPECT_EQ(lineCount(), 6u);
    EXPECT_EQ(sim->Dials(), 1u);
    EXPECT_TRUE(dialer->IsConnected());
}

TEST_F(Dialing, BusyOnEveryDialGivesUpAfterFourDialsSevenSecondsApart) {
    writeScript(std::string("dial fail 676 at ConnectDevice after 2000 states 0,2\n") + kBusyText);
    StartEngine();
    RunTo(500);
    dialer->Dial("", "");
    RunTo(60000);
    EXPECT_EQ(lines(), (std::vector<Line>{
                           L(500, "Telefone: 0"),
                           L(900, "Discando..."),
                           L(2900, "676: A linha está ocupada."),
                           L(2900, "7 segundos para rediscar...."),
                           L(9900, "Telefone: 0"),
                           L(10300, "Discando..."),
                           L(12300, "676: A linha está ocupada."),
                           L(12300, "7 segundos para rediscar...."),
                           L(19300, "Telefone: 0"),
                           L(19700, "Discando..."),
                           L(21700, "676: A linha está ocupada."),
                           L(21700, "7 segundos para rediscar...."),
                           L(28700, "Telefone: 0"),
                           L(29100, "Discando..."),
                           L(31100, "676: A linha está ocupada."),
                           L(31100, kGiveUp),
                       }));
    EXPECT_EQ(sim->Dials(), 4u);
    auto records = errorRecords();
    ASSERT_EQ(records.size(), 4u);
    for (auto& r : records) {
        EXPECT_EQ(r.substr(19, 16), "vyn             ");
        EXPECT_EQ(r.substr(39, 10), "0         ");
        EXPECT_EQ(r.substr(49, 4), "0676");
    }
    // Each failed dial was hung up by the engine as soon as it was told.
    auto hangUps = sim->Calls("RasHangUpA");
    ASSERT_EQ(hangUps.size(), 4u);
    EXPECT_EQ(hangUps[0].ms, 2900);
    EXPECT_EQ(hangUps[3].ms, 31100);
    EXPECT_FALSE(dialer->IsDialing());
    EXPECT_FALSE(dialer->IsConnected());
}

TEST_F(Dialing, NoAnswerThenConnected) {
    writeScript(
        "dial fail 678 at ConnectDevice after 2000 states 0,2\n"
        "dial connect after 4000 states 0,2,5,14 speed 48000\n"
        "text 678 N\xC3\xA3o h\xC3\xA1 resposta.\n");
    http.script(HttpScript::Reply(200, "OK"));  // the failed dial's record
    scriptQuietService();
    StartEngine();
    RunTo(500);
    dialer->Dial("", "");
    RunTo(14300);
    ASSERT_EQ(errorRecords().size(), 1u);
    EXPECT_EQ(errorRecords()[0].substr(49, 4), "0678");
    WaitForSequence();
    EXPECT_EQ(lines(), (std::vector<Line>{
                           L(500, "Telefone: 0"),
                           L(900, "Discando..."),
                           L(2900, "678: Não há resposta."),
                           L(2900, "7 segundos para rediscar...."),
                           L(9900, "Telefone: 0"),
                           L(10300, "Discando..."),
                           L(12300, "Verificando usuário e senha..."),
                           L(13300, "Usuário autenticado."),
                           L(14300, "Conexão efetuada com êxito."),
                           L(14300, "Conectado a 48.000 bps"),
                       }));
    EXPECT_TRUE(dialer->IsConnected());
    // The record went up after the connection, and the log was rotated.
    EXPECT_EQ(requests(), (std::vector<std::string>{"POST log.php", "POST conexao.php", "GET versao.php"}));
    EXPECT_TRUE(errorRecords().empty());
    EXPECT_EQ(machine.readProgramFile("erros01.txt").substr(49, 4), "0678");
}

TEST_F(Dialing, AuthenticationFailureIsRecordedAndRedialled) {
    writeScript(
        "dial fail 691 at Authenticate after 3000 states 0,2,5\n"
        "dial connect after 2000 states 5,14\n"
        "text 691 Usu\xC3\xA1rio ou senha inv\xC3\xA1lidos.\n");
    http.script(HttpScript::Reply(200, "OK"));  // the failed dial's record
    scriptQuietService();
    StartEngine();
    RunTo(500);
    dialer->Dial("maria", "");  // a login without a password dials with the anonymous one
    RunTo(13000);
    auto records = errorRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].substr(19, 16), "maria           ");
    EXPECT_EQ(records[0].substr(49, 4), "0691");
    RunTo(13300);
    WaitForSequence();
    // What the mail check of this account adds after it is not looked at here.
    auto got = lines();
    ASSERT_GE(got.size(), 11u);
    got.resize(11);
    EXPECT_EQ(got, (std::vector<Line>{
                       L(500, "Telefone: 0"),
                       L(900, "Discando..."),
                       L(2900, "Verificando usuário e senha..."),
                       L(3900, "Verificando usuário e senha..."),
                       L(3900, "691: Usuário ou senha inválidos."),
                       L(3900, "7 segundos para rediscar...."),
                       L(10900, "Telefone: 0"),
                       L(11300, "Discando..."),
                       L(11300, "Verificando usuário e senha..."),
                       L(12300, "Usuário autenticado."),
                       L(13300, "Conexão efetuada com êxito."),
                   }));
    auto dials = sim->Calls("RasDialA");
    ASSERT_EQ(dials.size(), 2u);
    EXPECT_EQ(dials[0].Arg("szUserName"), "maria");
    EXPECT_EQ(dials[0].Arg("szPassword"), "zuq");
}

TEST_F(Dialing, DialWhileARedialIsPendingTakesItOverWithTheCounterAtZero) {
    writeScript(std::string("dial fail 676 after 2000 states none\n") + kBusyText);
    StartEngine();
    RunTo(500);
    dialer->Dial("", "");
    RunTo(5000);  // the redial waits until 9900
    dialer->Dial("", "");
    RunTo(60000);
    EXPECT_EQ(lines(), (std::vector<Line>{
                           L(500, "Telefone: 0"),
                           L(900, "Discando..."),
                           L(2900, "676: A linha está ocupada."),
                           L(2900, "7 segundos para rediscar...."),
                           L(5000, "Telefone: 0"),
                           L(5400, "Discando..."),
                           L(7400, "676: A linha está ocupada."),
                       }));
    // Its failure counted the first attempt of the new dial: idle, no redial.
    EXPECT_EQ(sim->Dials(), 2u);
    EXPECT_EQ(errorRecords().size(), 2u);
}

TEST_F(Dialing, DialWhileDialingOrConnectedIsIgnored) {
    writeScript("dial connect after 2000 states 5\n");
    scriptQuietService();
    StartEngine();
    dialer->Dial("", "");
    std::size_t before = lineCount();
    dialer->Dial("outro", "senha");
    EXPECT_EQ(lineCount(), before);
    RunTo(2400);
    WaitForSequence();
    ASSERT_TRUE(dialer->IsConnected());
    before = lineCount();
    dialer->Dial("", "");
    RunTo(10000);
    EXPECT_EQ(lineCount(), before);
    EXPECT_EQ(sim->Dials(), 1u);
    EXPECT_EQ(conf->GetUser(), "vyn");
}

TEST_F(Dialing, AnEarlyNotificationIsNotOverwrittenByTheDialsOwnFlags) {
    struct {
        const char* script;
        bool connected, dialing;
        std::vector<const char*> lines;
    } cases[] = {
        {"dial fail 676 after 0 states none\n",
         false,
         false,
         {"Telefone: 0", "Discando...", "676: A linha está ocupada.", "7 segundos para rediscar...."}},
        {"dial connect after 0 states none\n",
         true,
         false,
         {"Telefone: 0", "Discando...", "Conexão efetuada com êxito.", "Conectado a 52.000 bps"}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.script);
        StopEngine();
        sim->Reset();
        writeScript(std::string(c.script) + kBusyText);
        StartEngine();
        scriptQuietService();
        std::size_t from = lineCount();
        dialer->Dial("", "");
        // The notification came on the service's thread before the dial returned; the
        // engine took it in after.
        sim->WaitIdle();
        Application->ProcessMessages();
        WaitForSequence();
        EXPECT_EQ(dialer->IsConnected(), c.connected);
        EXPECT_EQ(dialer->IsDialing(), c.dialing);
        std::vector<AnsiString> want;
        for (const char* l : c.lines) want.push_back(Utf8ToAnsi(l));
        EXPECT_EQ(texts(from), want);
    }
}

TEST_F(Dialing, ADialThatDoesNotStartIsRecordedHungUpAndNotRedialled) {
    struct {
        const char* what;
        std::string script;
        std::vector<Line> lines;  // from the dial at 500 on
        std::size_t hangUps;
    } cases[] = {
        {"refused",
         "dial refuse 633\ntext 633 O modem est\xC3\xA1 em uso.\n",
         {L(500, "Telefone: 0"), L(900, "Discando..."), L(900, "633: O modem está em uso."),
          L(900, "Discagem falhou!"), L(900, "Desconectando...")},
         0},
        {"refused with a handle that shows the error",
         "dial refuse 633 handle\nhangup 250\n",
         {L(500, "Telefone: 0"), L(900, "Discando..."), L(900, "633: ??"), L(900, "Discagem falhou!"),
          L(900, "Desconectando..."), L(1300, "Desconectado.")},
         1},
        {"refused with a code without a text",
         "dial refuse 633\nnotext 633\n",
         {L(500, "Telefone: 0"), L(900, "Discando..."), L(900, "ERROR_INVALID_PARAMETER"), L(900, "633: "),
          L(900, "Discagem falhou!"), L(900, "Desconectando...")},
         0},
    };
    StartEngine();
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        RunTo(20000 * (&c - cases));
        sim->Reset();
        std::remove((machine.programDir() + "/erros.txt").c_str());
        writeScript(c.script);
        std::size_t from = lineCount();
        int64_t t0 = Ms() + 500;
        RunTo(t0);
        dialer->Dial("", "");
        EXPECT_FALSE(dialer->IsDialing());
        RunTo(t0 + 15000);
        std::vector<Line> got = lines(from);
        for (auto& l : got) l.ms -= t0 - 500;
        // The service's own text for 633 is whatever it says: compared apart.
        if (c.lines.size() > 2 && c.lines[2].text == "633: ??") {
            ASSERT_GT(got.size(), 2u);
            EXPECT_EQ(got[2].text.rfind("633: ", 0), 0u);
            EXPECT_GT(got[2].text.size(), 5u);
            got[2].text = "633: ??";
        }
        EXPECT_EQ(got, c.lines);
        EXPECT_EQ(sim->Dials(), 1u);
        EXPECT_EQ(sim->Calls("RasHangUpA").size(), c.hangUps);
        ASSERT_EQ(errorRecords().size(), 1u);
        EXPECT_EQ(errorRecords()[0].substr(49, 4), "0633");
        EXPECT_FALSE(dialer->IsDialing());
        EXPECT_FALSE(dialer->IsConnected());
    }
}

TEST_F(Dialing, TheLongDistanceQuestionComesOnlyWithACarrierAndAnotherAreaCode) {
    machine.writeProgramFile("tels",
                             "<ESTADOS><ESTADO sigla=\"SP\" capital=\"S\xC3\xA3o Paulo\"><CIDADE nome=\"Santos\" "
                             "ddd=\"13\"><TEL>1</TEL></CIDADE></ESTADO></ESTADOS>");
    ASSERT_TRUE(phones.Load("tels"));
    phones.SelectCity("SP", "Santos");
    ASSERT_EQ(phones.GetDDD(), 13);
    struct {
        const char* what;
        int areaCode, carrier;
        bool confirm;
        bool asked, dialled;
    } cases[] = {
        {"no carrier", 41, 0, false, false, true},
        {"the same area code", 13, 15, false, false, true},
        {"another area code, declined", 41, 15, false, true, false},
        {"another area code, confirmed", 41, 15, true, true, true},
        {"no own area code", 0, 21, true, true, true},
    };
    writeScript("dial hang states none\n");
    StartEngine();
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (dialer->IsDialing()) dialer->HangUp(true);
        conf->SetDialing(c.areaCode, c.carrier, -1, true, "");
        window.confirmLongDistance = c.confirm;
        std::size_t from = lineCount(), eventsFrom = events().size();
        unsigned dials = sim->Dials();
        dialer->Dial("", "");
        auto all = events();
        bool asked = std::any_of(all.begin() + static_cast<long>(eventsFrom), all.end(),
                                 [](const Event& e) { return e.what == "window: long distance?"; });
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(sim->Dials(), dials + (c.dialled ? 1 : 0));
        EXPECT_EQ(dialer->IsDialing(), c.dialled);
        // Declined: no status line at all. Dialled: this edition adds no prefix.
        std::vector<AnsiString> want;
        if (c.dialled) want = {"Telefone: 0", "Discando..."};
        EXPECT_EQ(texts(from), want);
    }
    dialer->HangUp(true);
}

namespace {
// An edition of the test's own: every number, the prefixes and the page it supplies show
// where the engine takes them.
class NumberedEdition : public TEdition {
public:
    AnsiString EntryNumber() const override { return "40030000"; }
    AnsiString DialNumber(const TServices&) const override { return "33330001"; }
    AnsiString WaitingNumber(const TServices&) const override { return "33330001"; }
    AnsiString RedialNumber(const TServices&) const override { return "3333000" + std::to_string(2 + next++); }
    AnsiString LongDistancePrefix(const TServices&) const override { return "02111"; }
    AnsiString ReportPrefix(const TServices&) const override { return "11"; }
    AnsiString PageAfterConnect(const AnsiString& login) const override {
        return "https://cadastro.vyn.example/" + login;
    }
    mutable int next = 0;
};
NumberedEdition gNumbered;

class EditionDialing : public EngineCase {
protected:
    EditionDialing() : EngineCase(gNumbered) { gNumbered.next = 0; }
};
}  // namespace

TEST_F(EditionDialing, AnEditionSuppliesTheNumbersThePrefixAndThePage) {
    writeScript("dial fail 676 after 1000 states none\ndial connect after 1000 states none\n");
    http.script(HttpScript::Reply(200, "OK"));  // the failed dial's record
    scriptQuietService();
    StartEngine();
    EXPECT_EQ(sim->Calls("RasSetEntryPropertiesA").at(0).Buffer("entry").substr(27, 9), std::string("40030000\0", 9));
    dialer->Dial("", "");
    RunTo(10000);
    WaitForSequence();
    auto dials = sim->Calls("RasDialA");
    ASSERT_EQ(dials.size(), 2u);
    EXPECT_EQ(dials[0].Arg("szPhoneNumber"), "0211133330001");
    EXPECT_EQ(dials[1].Arg("szPhoneNumber"), "0211133330002");
    ASSERT_EQ(machine.readProgramFile("erros01.txt").substr(39, 10), "33330001  ");
    auto all = http.requests();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].substr(all[1].find("\r\n\r\n") + 4), "dis_login=vyn&dis_version=1.3.0.28&dis_tel=1133330002&");
    std::ifstream in(machine.dir() + "/shell.log", std::ios::binary);
    std::string shell((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(shell.find("https://cadastro.vyn.example/vyn"), std::string::npos);
}
