// What runs once a dial of the program's own connects, against the local dialer service and
// mail server: the twelve steps in order, the update question, the report, the page.
#include "support/engine/EngineFixture.h"

#include "platform/Application.h"
#include "platform/IniFiles.h"
#include "settings/Hosts.h"
#include "support/FileTimes.h"
#include "support/Pop3TestServer.h"
#include "support/UiPump.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {
const AnsiString kUpdateQuestion = "Existe uma nova versão do discador. Você deseja instalar?"_a;
const AnsiString kInstaller = "http://discador.vyn.example/private/corvala/instalardiscadorcorvala.exe";
const AnsiString kTelecomPage = "http://www.telecom.example/";
const std::string kTels =
    "<ESTADOS><ESTADO sigla=\"SP\"><CIDADE nome=\"Santos\" ddd=\"13\"><TEL>1</TEL></CIDADE>"
    "</ESTADO></ESTADOS>";

// A request's body (after the blank line).
std::string Body(const std::string& request) { return request.substr(request.find("\r\n\r\n") + 4); }

// What the shell was asked to open, from the machine's "shell.log" (operation TAB file ...).
std::vector<AnsiString> OpenedPages(const TempMachine& m) {
    std::vector<AnsiString> out;
    std::ifstream in(m.dir() + "/shell.log", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t tab = line.find('\t');
        out.push_back(line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1));
    }
    return out;
}

bool Minimised() { return UiPump::Instance().Minimised(); }

class Connected : public EngineCase {
protected:
    // One dial that connects 1400 ms from now with `speed`; returns once the sequence has ended.
    void Connect(const AnsiString& login = "", const AnsiString& password = "", unsigned speed = 52000) {
        writeScript("dial connect after 1000 states none speed " + std::to_string(speed) + "\n");
        StartEngine();
        int64_t start = Ms();
        dialer->Dial(login, password);
        RunTo(start + 1400);
        ASSERT_TRUE(dialer->IsConnected());
        WaitForSequence();
    }
    // The service's replies, each recorded as "http: <label>" when its request is in.
    void Serve(const std::string& label, HttpScript reply, std::function<void()> look = nullptr) {
        reply.before = [this, label, look] {
            if (look) look();
            record("http: " + label);
        };
        http.script(std::move(reply));
    }
    std::size_t IndexOf(const std::string& what) {
        auto all = events();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].what == what) return i;
        ADD_FAILURE() << "no event " << AnsiToUtf8(what);
        return all.size();
    }
};
}  // namespace

TEST_F(Connected, TheTwelveStepsRunInOrderForARealAccount) {
    Pop3TestServer pop(Pop3Script::Messages(2));
    machine.writeMachineFile("hosts.txt", http.hostsLine(kDialerServiceHost) + pop.hostsLine(kMailHost));
    // A phone list two days old, and a failed dial waiting to be sent.
    machine.writeProgramFile("tels", "<ESTADOS/>");
    SetFileModified(machine.path("tels"), Now() - 2);
    machine.writeProgramFile("erros.txt", "05/11/2004 13:00:00maria           00000         0676\r\n");
    bool remembered = false, historyBeforeRepaint = false, quietAtQuestion = false;
    Serve("tels", HttpScript::Reply(200, "OK", kTels),
          [&] { remembered = TIniFile(conf->IniFileName()).ReadString("Usuarios", "Usuario00", "") == "maria"; });
    Serve("log.php", HttpScript::Reply(200, "OK"));
    Serve("conexao.php", HttpScript::Reply(200, "OK"));
    Serve("versao.php", HttpScript::Reply(200, "OK", "*1.4.0.1*"));
    window.onRepaint = [&] { historyBeforeRepaint = history().rfind(Utf8ToAnsi("Início conexão: "), 0) == 0; };
    onBox = [&](const MessageBoxRequest&) { quietAtQuestion = !Minimised() && OpenedPages(machine).empty(); };
    answerBoxes({IDYES});
    Connect("maria", "segredo");

    // 1, 2: the login was remembered before the phone list was asked for.
    EXPECT_TRUE(remembered);
    EXPECT_EQ(machine.readProgramFile("tels"), kTels);
    // 3 to 9, in this order.
    std::vector<std::string> order = {
        "http: tels",        "Checando e-mail...",     "window: repaint",
        "http: log.php",     "Conectado a 52.000 bps", "window: hint Conectado a 52.000 bps",
        "http: conexao.php", "http: versao.php",       "box: " + kUpdateQuestion,
    };
    std::vector<std::size_t> at;
    for (auto& what : order) at.push_back(IndexOf(what));
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << ::testing::PrintToString(at);
    EXPECT_EQ(requests(),
              (std::vector<std::string>{"GET tels", "POST log.php", "POST conexao.php", "GET versao.php"}));
    auto dialogue = pop.dialogue();
    EXPECT_NE(std::find(dialogue.begin(), dialogue.end(), "C: USER maria"), dialogue.end());
    EXPECT_NE(std::find(dialogue.begin(), dialogue.end(), "C: PASS segredo"), dialogue.end());
    EXPECT_TRUE(checaMail->TimerEnabled());
    // 4: the history line, before the repaint.
    EXPECT_TRUE(historyBeforeRepaint);
    EXPECT_EQ(history(), Utf8ToAnsi("Início conexão: 05/11/2004 14:03:10\r\n"));
    // 6: the record went up and the log was rotated.
    EXPECT_EQ(Body(http.requests()[1]).find("dis_coderr=676"), Body(http.requests()[1]).size() - 14);
    EXPECT_TRUE(fs::exists(machine.path("erros01.txt")));
    // 8: the report.
    EXPECT_EQ(Body(http.requests()[2]), "dis_login=maria&dis_version=1.3.0.28&dis_tel=0&");
    // 9 to 11: asked before minimising and before any page; accepted: the installer only.
    EXPECT_TRUE(quietAtQuestion);
    EXPECT_TRUE(Minimised());
    EXPECT_EQ(OpenedPages(machine), std::vector<AnsiString>{kInstaller});
    // The dial's lines came from the UI thread, the sequence's from its own.
    for (const Event& e : events()) {
        if (e.what == Utf8ToAnsi("Conexão efetuada com êxito.")) {
            EXPECT_TRUE(e.onUiThread);
        }
        if (e.what == "Conectado a 52.000 bps" || e.what == "Checando e-mail...") {
            EXPECT_FALSE(e.onUiThread);
        }
        EXPECT_EQ(e.what.find("not on the UI thread"), std::string::npos);
    }
}

TEST_F(Connected, TheUpdateCheckDecidesThePageAndTheReportCarriesTheNumberAlone) {
    struct {
        const char* what;
        HttpScript version;
        std::vector<int> answers;
        int outside;
        bool tone;
        const char* callWaiting;
        const char* line;  // a status line the case must show, or ""
        AnsiString page;
        bool asked;
    } cases[] = {
        {"nothing newer", HttpScript::Reply(200, "OK", "*1.3.0.28*"), {}, -1, true, "", "", kTelecomPage, false},
        {"newer, declined", HttpScript::Reply(200, "OK", "*1.4.0.1*"), {IDNO}, -1, true, "", "", kTelecomPage, true},
        {"newer, accepted", HttpScript::Reply(200, "OK", "*1.4.0.1*"), {IDYES}, -1, true, "", "", kInstaller, true},
        {"the check fails",
         HttpScript::Reply(500, "Internal Server Error"),
         {},
         -1,
         true,
         "",
         "Ocorreu um erro ao checar novas atualizações",
         kTelecomPage,
         false},
        {"pulse, outside line and call waiting",
         HttpScript::Reply(200, "OK", "*1.3.0.28*"),
         {},
         9,
         false,
         "*70",
         "",
         kTelecomPage,
         false},
    };
    Pop3TestServer pop(Pop3Script::Messages(0));
    machine.writeMachineFile("hosts.txt", http.hostsLine(kDialerServiceHost) + pop.hostsLine(kMailHost));
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        StopEngine();
        UiPump::Instance().Reset();
        sim->Reset();
        std::remove((machine.dir() + "/shell.log").c_str());
        conf->SetDialing(0, 0, c.outside, c.tone, c.callWaiting);
        std::size_t before = http.requests().size(), boxesBefore = boxes().size(), from = lineCount();
        http.script(HttpScript::Reply(200, "OK"));
        http.script(c.version);
        answerBoxes(c.answers);
        Connect();
        auto all = http.requests();
        ASSERT_EQ(all.size(), before + 2);
        EXPECT_EQ(Body(all[before]), "dis_login=vyn&dis_version=1.3.0.28&dis_tel=0&");
        EXPECT_EQ(OpenedPages(machine), std::vector<AnsiString>{c.page});
        EXPECT_EQ(boxes().size(), boxesBefore + (c.asked ? 1 : 0));
        if (*c.line) {
            auto got = texts(from);
            EXPECT_NE(std::find(got.begin(), got.end(), Utf8ToAnsi(c.line)), got.end());
        }
        EXPECT_TRUE(Minimised());
        EXPECT_EQ(sim->Calls("RasDialA").at(0).Arg("szPhoneNumber"), dialer->BuildDialString("0"));
    }
    // The anonymous account is neither remembered nor checked for mail.
    EXPECT_EQ(pop.connections(), 0);
    EXPECT_EQ(TIniFile(conf->IniFileName()).ReadString("Usuarios", "Usuario00", ""), "");
}

TEST_F(Connected, TheHistoryIsAppendedAndItsFailuresAreReported) {
    struct {
        const char* what;
        std::function<void()> prepare;
        bool start;
        const char* line;      // the status line, or ""
        std::string contents;  // "logs.txt" afterwards, when it is a file
    } cases[] = {
        {"missing", [] {}, true, "", Utf8ToAnsi("Início conexão: 05/11/2004 14:03:09\r\n")},
        {"present", [this] { machine.writeProgramFile("logs.txt", "antes\r\n"); }, false, "",
         Utf8ToAnsi("antes\r\nTérmino conexão: 05/11/2004 14:03:09\r\n")},
        {"cannot be opened", [this] { fs::create_directory(machine.path("logs.txt")); }, true,
         "Ocorreu um erro ao abrir arquivo de log.", ""},
        {"cannot be written", [this] { fs::create_symlink("/dev/full", machine.path("logs.txt")); }, true,
         "Ocorreu um erro ao gravar arquivo de log.", ""},
    };
    StartEngine();
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(machine.path("logs.txt"));
        c.prepare();
        std::size_t from = lineCount();
        dialer->WriteHistory(c.start);
        std::vector<AnsiString> want;
        if (*c.line) want.push_back(c.line);
        EXPECT_EQ(texts(from), want);
        if (!c.contents.empty()) {
            EXPECT_EQ(history(), c.contents);
        }
    }
    fs::remove_all(machine.path("logs.txt"));
}

TEST_F(Connected, AStepThatFailsDoesNotStopTheOthers) {
    fs::create_directory(machine.path("logs.txt"));
    window.onRepaint = [] { throw Exception("pintura falhou"); };
    scriptQuietService();
    Connect();
    auto got = texts();
    EXPECT_NE(std::find(got.begin(), got.end(), "Ocorreu um erro ao abrir arquivo de log."), got.end());
    EXPECT_NE(std::find(got.begin(), got.end(), "pintura falhou"), got.end());
    EXPECT_NE(std::find(got.begin(), got.end(), "Conectado a 52.000 bps"), got.end());
    EXPECT_EQ(requests(), (std::vector<std::string>{"POST conexao.php", "GET versao.php"}));
    EXPECT_EQ(OpenedPages(machine), std::vector<AnsiString>{kTelecomPage});
    EXPECT_TRUE(Minimised());
}

TEST_F(Connected, TheSpeedIsShownWithThousandsSeparators) {
    struct {
        unsigned speed;
        char separator;
        const char* text;  // "" for nothing shown
    } cases[] = {
        {999, '.', "Conectado a 999 bps"},      {1000, '.', "Conectado a 1.000 bps"},
        {52000, '.', "Conectado a 52.000 bps"}, {4294967295u, '.', "Conectado a 4.294.967.295 bps"},
        {52000, ',', "Conectado a 52,000 bps"}, {0, '.', ""},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.speed);
        StopEngine();
        SetThousandSeparator(c.separator);
        writeScript("outside Vizinho speed " + std::to_string(c.speed) + "\n");
        sim->Reset();
        std::size_t from = lineCount(), eventsFrom = events().size();
        StartEngine();
        std::vector<AnsiString> want = {"Conectado externamente."};
        if (*c.text) want.push_back(c.text);
        EXPECT_EQ(texts(from), want);
        auto all = events();
        bool hinted = std::any_of(all.begin() + static_cast<long>(eventsFrom), all.end(),
                                  [&](const Event& e) { return e.what == "window: hint " + std::string(c.text); });
        EXPECT_EQ(hinted, *c.text != '\0');
    }
    SetThousandSeparator('.');
}
