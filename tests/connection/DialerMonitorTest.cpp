// The monitor (time-out, outside connections, dropped lines), the hang-up and its wait, and
// the mended re-entrancy of both.
#include "support/engine/EngineFixture.h"

#include "platform/Application.h"
#include "platform/UiThread.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {
using Monitoring = EngineCase;

const char* kGiveUp = "Não foi possível conectar após 5 tentativas, tente novamente mais tarde.";
const char* kQuestion = "A conexão foi desligada, deseja conectar novamente?";

std::size_t count(const std::vector<AnsiString>& texts, const char* utf8) {
    return static_cast<std::size_t>(std::count(texts.begin(), texts.end(), Utf8ToAnsi(utf8)));
}

bool hasEvent(const std::vector<Event>& events, const std::string& what) {
    return std::any_of(events.begin(), events.end(), [&](const Event& e) { return e.what == what; });
}
}  // namespace

TEST_F(Monitoring, ADialNotConnectedIn120960MsIsHungUpAndRedialledOnTheMonotonicClock) {
    writeScript("dial hang states 0,2\nhangup 1000\n");
    StartEngine();
    RunTo(500);
    dialer->Dial("", "");
    // The wall clock is put back an hour meanwhile: the time-out does not move.
    At(60000, [this] { machine.clock.SetNow(machine.clock.Now() - 1.0 / 24); });
    RunTo(131000);
    EXPECT_EQ(lines(), (std::vector<Line>{
                           L(500, "Telefone: 0"),
                           L(900, "Discando..."),
                           L(122000, "Não conectado em menos de 120 segundos."),
                           L(122000, "Desconectando..."),
                           L(123100, "Desconectado."),
                           L(123600, "Aguardando 7 segundos para rediscar..."),
                           L(130600, "Telefone: 0"),
                           L(131000, "Discando..."),
                       }));
    EXPECT_TRUE(errorRecords().empty()) << "a time-out is not a failed-dial record";
    EXPECT_EQ(history(), Utf8ToAnsi("Término conexão: 05/11/2004 13:05:12\r\n"));
    EXPECT_EQ(sim->Dials(), 2u);
    EXPECT_TRUE(dialer->IsDialing());
    // The redial wrote the access number's dial string into the entry, not an empty one.
    auto writes = sim->Calls("RasSetEntryPropertiesA");
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back().ms, 130600);
    EXPECT_EQ(writes.back().Buffer("entry").substr(27, 2), std::string("0\0", 2));
}

TEST_F(Monitoring, ALateErrorAfterTheEnginesOwnHangUpIsRecordedButNotCounted) {
    writeScript("dial hang states 0,2\nhangup 1000\nlate 678 after 200\ntext 678 Sem resposta.\n");
    StartEngine();
    RunTo(500);
    dialer->Dial("", "");
    RunTo(131000);
    auto got = lines();
    ASSERT_GE(got.size(), 6u);
    EXPECT_EQ(std::vector<Line>(got.begin() + 2, got.begin() + 6),
              (std::vector<Line>{
                  L(122000, "Não conectado em menos de 120 segundos."),
                  L(122000, "Desconectando..."),
                  L(122200, "678: Sem resposta."),
                  L(123100, "Desconectado."),
              }));
    auto all = texts();
    EXPECT_EQ(count(all, "7 segundos para rediscar...."), 0u);
    EXPECT_EQ(count(all, "Aguardando 7 segundos para rediscar..."), 1u);
    ASSERT_EQ(errorRecords().size(), 1u);
    EXPECT_EQ(errorRecords()[0].substr(49, 4), "0678");
    EXPECT_EQ(sim->Dials(), 2u);
}

TEST_F(Monitoring, AUserHangUpDuringADialGetsALate619AsAStateLineOnly) {
    writeScript("dial hang after 3000 states 0,2,5\nlate 619 after 200\nhangup 300\n");
    StartEngine();
    RunTo(500);
    dialer->Dial("", "");
    RunTo(3500);
    dialer->HangUp(true);
    EXPECT_FALSE(dialer->IsDialing());
    RunTo(40000);
    EXPECT_EQ(lines(), (std::vector<Line>{
                           L(500, "Telefone: 0"),
                           L(900, "Discando..."),
                           L(2900, "Verificando usuário e senha..."),
                           L(3500, "Desconectando..."),
                           L(3700, "Verificando usuário e senha..."),
                           L(3900, "Desconectado."),
                       }));
    EXPECT_TRUE(errorRecords().empty());
    EXPECT_EQ(sim->Dials(), 1u);
    // The end of a call that never connected is still written.
    EXPECT_EQ(history(), Utf8ToAnsi("Término conexão: 05/11/2004 14:03:12\r\n"));
    EXPECT_TRUE(hasEvent(events(), "window: repaint"));
}

TEST_F(Monitoring, ADroppedLineIsHungUpAndTheUserAskedToDialAgain) {
    struct {
        const char* what;
        const char* drop;
        int answer;
        std::vector<Line> after;  // from the drop on
        bool panel;
    } cases[] = {
        {"gone, no", "drop 10000", IDNO, {L(13000, "Desconectando..."), L(13500, "Conexão terminada.")}, true},
        {"gone, yes",
         "drop 10000",
         IDYES,
         {L(13000, "Desconectando..."), L(13500, "Conexão terminada."),
          L(13500, "Aguardando 7 segundos para rediscar..."), L(20500, "Telefone: 0"), L(20900, "Discando...")},
         false},
        {"shown as disconnected, no",
         "drop 10000 disconnected",
         IDNO,
         {L(13000, "Desconectando..."), L(13000, "Desconectado."), L(13500, "Conexão terminada.")},
         true},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        StopEngine();
        sim->Reset();
        std::remove((machine.programDir() + "/logs.txt").c_str());
        writeScript(std::string("dial connect after 2000 states none ") + c.drop + "\n");
        scriptQuietService();
        StartEngine();
        int64_t t0 = Ms();
        RunTo(t0 + 500);
        dialer->Dial("", "");
        RunTo(t0 + 2900);
        ASSERT_TRUE(dialer->IsConnected());
        WaitForSequence();
        std::size_t from = lineCount();
        std::size_t eventsFrom = events().size();
        answerBoxes({c.answer});
        RunTo(t0 + 21000);
        auto got = lines(from);
        for (auto& l : got) l.ms -= t0;
        EXPECT_EQ(got, c.after);
        ASSERT_FALSE(boxes().empty());
        EXPECT_EQ(boxes().back().text, Utf8ToAnsi(kQuestion));
        EXPECT_EQ(boxes().back().caption, "Ruvozava Corvala");
        EXPECT_EQ(boxes().back().flags & MB_TYPEMASK, unsigned(MB_YESNO));
        // The window came forward before the question, and went back to the login panel
        // after a no; everything on the UI thread.
        std::vector<std::string> window;
        auto all = events();
        for (std::size_t i = eventsFrom; i < all.size(); ++i) {
            EXPECT_TRUE(all[i].onUiThread) << all[i].what;
            if (all[i].what.rfind("window", 0) == 0 || all[i].what.rfind("box", 0) == 0)
                window.push_back(all[i].what);
        }
        std::vector<std::string> want = {"window: repaint", "window: to front", "box: " + Utf8ToAnsi(kQuestion)};
        if (c.panel) want.push_back("window: panel 1");
        EXPECT_EQ(window, want);
        bool hungUp = std::string(c.drop).find("disconnected") != std::string::npos;
        EXPECT_EQ(history().find(Utf8ToAnsi("Término")) != std::string::npos, hungUp);
    }
}

TEST_F(Monitoring, ConnectedOnTheFourthDialThenADropAnsweredYesGivesUp) {
    writeScript(
        "dial fail 676 after 2000 states none times 3\n"
        "dial connect after 2000 states none drop 5000\n");
    scriptQuietService();
    StartEngine();
    RunTo(500);
    dialer->Dial("", "");
    RunTo(31100);
    ASSERT_TRUE(dialer->IsConnected());
    WaitForSequence();
    std::size_t from = lineCount();
    answerBoxes({IDYES});
    RunTo(60000);
    EXPECT_EQ(lines(from), (std::vector<Line>{
                               L(37000, "Desconectando..."),
                               L(37500, "Conexão terminada."),
                               L(37500, kGiveUp),
                           }));
    EXPECT_EQ(sim->Dials(), 4u);
    EXPECT_FALSE(dialer->IsDialing());
    EXPECT_FALSE(dialer->IsConnected());
}

TEST_F(Monitoring, AStatusErrorSeenByTheMonitorIsRecordedHungUpAndRedialled) {
    writeScript(
        "dial hang states none status 668\nhangup 300\ndial connect after 1000 states none\n"
        "text 668 A conex\xC3\xA3o caiu.\n");
    http.script(HttpScript::Reply(200, "OK"));  // the failed dial's record
    scriptQuietService();
    StartEngine();
    RunTo(500);
    dialer->Dial("", "");
    RunTo(10300);
    WaitForSequence();
    EXPECT_EQ(lines(), (std::vector<Line>{
                           L(500, "Telefone: 0"),
                           L(900, "Discando..."),
                           L(1000, "668: A conexão caiu."),
                           L(1000, "Desconectando..."),
                           L(1400, "Desconectado."),
                           L(1900, "Aguardando 7 segundos para rediscar..."),
                           L(8900, "Telefone: 0"),
                           L(9300, "Discando..."),
                           L(10300, "Conexão efetuada com êxito."),
                           L(10300, "Conectado a 52.000 bps"),
                       }));
    EXPECT_EQ(sim->Dials(), 2u);
    EXPECT_EQ(machine.readProgramFile("erros01.txt").substr(49, 4), "0668");
    EXPECT_TRUE(dialer->IsConnected());
}

TEST_F(Monitoring, AnOutsideConnectionIsAdoptedWithItsSpeedAndNeverWatched) {
    writeScript("outside \"Conex\xC3\xA3o do vizinho\" at 5500 until 9500 speed 33600\n");
    StartEngine();
    RunTo(5999);
    EXPECT_FALSE(dialer->IsConnected());
    RunTo(30000);
    EXPECT_EQ(lines(), (std::vector<Line>{L(6000, "Conectado externamente."), L(6000, "Conectado a 33.600 bps")}));
    EXPECT_TRUE(dialer->IsConnected());
    EXPECT_TRUE(dialer->IsExternal());
    EXPECT_FALSE(dialer->IsDialing());
    EXPECT_TRUE(hasEvent(events(), "window: hint Conectado a 33.600 bps"));
    for (const Event& e : events()) EXPECT_TRUE(e.onUiThread) << e.what;
    // Adopted connections get no connected sequence.
    EXPECT_FALSE(dialer->IsSequenceRunning());
    EXPECT_TRUE(http.requests().empty());
    EXPECT_EQ(history(), "");
}

TEST_F(Monitoring, AConnectionUpAtStartIsAdoptedWithoutAWindow) {
    writeScript("outside Vizinho speed 52000\n");
    engineWindow = nullptr;  // the main window is still being made
    StartEngine();
    EXPECT_EQ(lines(), (std::vector<Line>{L(0, "Conectado externamente."), L(0, "Conectado a 52.000 bps")}));
    EXPECT_TRUE(dialer->IsExternal());
    EXPECT_NE(dialer->ConnectionHandle(), 0u);
}

TEST_F(Monitoring, AHangUpSlowerThan5184MsIsTakenAsEndedAndNothingRunsInsideIt) {
    writeScript("dial connect after 2000 states none\nhangup 10000\n");
    scriptQuietService();
    StartEngine();
    dialer->Dial("", "");
    RunTo(2400);
    WaitForSequence();
    std::size_t from = lineCount();
    RunTo(10000);
    // Inside the wait: a second hang-up of the user's, and a dial.
    At(12000, [this] { dialer->HangUp(true); });
    At(12500, [this] { dialer->Dial("", ""); });
    int64_t before = static_cast<int64_t>(sim->Calls().size());
    dialer->HangUp(true);
    EXPECT_EQ(Ms(), 15700);
    EXPECT_FALSE(dialer->IsConnected());
    RunTo(25000);
    EXPECT_EQ(lines(from), (std::vector<Line>{L(10000, "Desconectando..."), L(15200, "Desconectado.")}));
    // Only the hang-up's own polls asked the service meanwhile: 2 + one every 100 ms.
    auto calls = sim->Calls();
    int statuses = 0;
    for (std::size_t i = static_cast<std::size_t>(before); i < calls.size(); ++i)
        if (calls[i].function == "RasGetConnectStatusA" && calls[i].ms < 15700) ++statuses;
    EXPECT_EQ(statuses, 2 + 53);
    EXPECT_EQ(sim->Dials(), 1u);
    // The connection still ending is not taken for an outside one.
    EXPECT_FALSE(dialer->IsConnected());
    EXPECT_EQ(history(),
              Utf8ToAnsi("Início conexão: 05/11/2004 14:03:11\r\nTérmino conexão: 05/11/2004 14:03:24\r\n"));
}

TEST_F(Monitoring, AUserHangUpDuringTheTimeOutsWaitStopsTheRedial) {
    writeScript("dial hang states 0\nhangup 2000\n");
    StartEngine();
    RunTo(500);
    dialer->Dial("", "");
    At(122500, [this] { dialer->HangUp(true); });
    RunTo(150000);
    auto all = texts();
    EXPECT_EQ(count(all, "Desconectando..."), 1u);
    EXPECT_EQ(count(all, "Aguardando 7 segundos para rediscar..."), 0u);
    EXPECT_EQ(sim->Dials(), 1u);
    EXPECT_FALSE(dialer->IsDialing());
}

TEST_F(Monitoring, AYesToTheQuestionDoesNotDialWhenTheUserAlreadyDid) {
    writeScript("dial connect after 2000 states none drop 5000\ndial hang states none\n");
    scriptQuietService();
    StartEngine();
    dialer->Dial("", "");
    RunTo(2400);
    WaitForSequence();
    // While the question is up the user dials from the window.
    onBox = [this](const MessageBoxRequest&) { dialer->Dial("", ""); };
    answerBoxes({IDYES});
    RunTo(20000);
    onBox = nullptr;
    auto all = texts();
    EXPECT_EQ(count(all, "Aguardando 7 segundos para rediscar..."), 0u);
    EXPECT_EQ(sim->Dials(), 2u);
    EXPECT_TRUE(dialer->IsDialing());
}

TEST_F(Monitoring, ALateNotificationForAHungUpHandleChangesNoState) {
    writeScript("dial connect after 2000 states none\n");
    scriptQuietService();
    StartEngine();
    dialer->Dial("", "");
    RunTo(2400);
    WaitForSequence();
    HRASCONN old = dialer->ConnectionHandle();
    dialer->HangUp(true);
    std::size_t from = lineCount();
    std::size_t requestsBefore = http.requests().size();
    dialer->OnRasDial(old, WM_RASDIALEVENT, RASCS_Connected, 0, 0);
    dialer->OnRasDial(old, WM_RASDIALEVENT, RASCS_ConnectDevice, 678, 0);
    EXPECT_EQ(texts(from), std::vector<AnsiString>{Utf8ToAnsi("Conexão efetuada com êxito.")});
    EXPECT_FALSE(dialer->IsConnected());
    EXPECT_FALSE(dialer->IsSequenceRunning());
    EXPECT_EQ(http.requests().size(), requestsBefore);
    EXPECT_TRUE(errorRecords().empty());
    RunTo(30000);
    EXPECT_EQ(sim->Dials(), 1u);
}

TEST_F(Monitoring, AHandleTheServiceGivesOutAgainBelongsToTheNewDial) {
    writeScript("dial hang states 0\n");
    StartEngine();
    dialer->Dial("", "");
    RunTo(2000);
    HRASCONN first = dialer->ConnectionHandle();
    dialer->HangUp(true);
    RunTo(5000);
    // The service starts its handles again, as the platform reuses a freed one.
    sim->Reset();
    writeScript("dial connect after 1000 states none\n");
    scriptQuietService();
    std::size_t from = lineCount();
    dialer->Dial("", "");
    RunTo(6400);
    ASSERT_EQ(dialer->ConnectionHandle(), first);
    EXPECT_TRUE(dialer->IsConnected());
    EXPECT_FALSE(dialer->IsDialing());
    WaitForSequence();
    // Not taken for a late notification, nor hung up by the time-out later.
    RunTo(140000);
    EXPECT_EQ(lines(from),
              (std::vector<Line>{L(5000, "Telefone: 0"), L(5400, "Discando..."),
                                 L(6400, "Conexão efetuada com êxito."), L(6400, "Conectado a 52.000 bps")}));
    EXPECT_TRUE(dialer->IsConnected());
    EXPECT_EQ(requests(), (std::vector<std::string>{"POST conexao.php", "GET versao.php"}));
}
