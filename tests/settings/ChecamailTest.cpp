#include "SettingsFixture.h"

#include "settings/Checamail.h"
#include "settings/Conf.h"
#include "settings/Hosts.h"
#include "settings/MailTray.h"
#include "support/ClockDriver.h"
#include "support/Pop3TestServer.h"

#include "platform/Sound.h"

#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <thread>

namespace {
using Lines = std::vector<std::string>;
const AnsiString kChecking = "Checando e-mail...";
const AnsiString kAccessError = "Ocorreu um erro ao tentar acessar o servidor de e-mail";
constexpr int64_t kPeriod = 900000;

Lines login(const std::string& greeting = "+OK POP3 server ready") {
    return {"S: " + greeting, "C: USER joao", "S: +OK", "C: PASS segredo", "S: +OK"};
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Lines counted(int n, const std::string& greeting = "+OK POP3 server ready") {
    return login(greeting) +
           Lines{"C: STAT", "S: +OK " + std::to_string(n) + " " + std::to_string(n * 1024), "C: Quit", "S: +OK bye"};
}

// The tray as the main window keeps it: the image and hint last shown, and how often a
// check showed one (from either thread).
struct Tray : TMailTray {
    void ShowMailState(int image, const AnsiString& hint) override {
        std::lock_guard lock(mutex);
        shownImage = image;
        shownHint = hint;
        ++shows;
    }
    int IconIndex() const {
        std::lock_guard lock(mutex);
        return shownImage;
    }
    AnsiString Hint() const {
        std::lock_guard lock(mutex);
        return shownHint;
    }
    int UpdateCount() const {
        std::lock_guard lock(mutex);
        return shows;
    }
    mutable std::mutex mutex;
    int shownImage = 0;
    AnsiString shownHint;
    int shows = 0;
};

// A machine whose settings hold a real account, its mail server leading to a scripted POP3
// server, and a tray showing the other image with a hint of its own, so every change the
// check makes shows.
struct Mailbox : LoggedMachine {
    Pop3TestServer server;
    std::unique_ptr<TConf> conf;
    Tray tray;
    std::unique_ptr<TChecaMail> mail;

    explicit Mailbox(Pop3Script script, AnsiString user = "joao", AnsiString password = "segredo")
        : server(std::move(script)) {
        machine.installDialUpService();
        machine.writeMachineFile("devices.txt", "modem\tModem A\n");
        machine.writeMachineFile("hosts.txt", server.hostsLine(kMailHost));
        conf = std::make_unique<TConf>(services());
        conf->Load();
        conf->SetUser(user);
        conf->SetPassword(password);
        tray.shownImage = 1;
        tray.shownHint = "antes";
        mail = std::make_unique<TChecaMail>(TServices{.log = &log, .conf = conf.get()}, &tray);
    }
    int sounds() const {
        int n = 0;
        for (const SoundCall& c : RecordedSounds()) n += c.name == "SND1";
        return n;
    }
};

struct Shown {
    int image;
    AnsiString hint;
    int sounds;
    bool timer;
};

void expectShown(const Mailbox& m, const Shown& s, const std::string& what) {
    EXPECT_EQ(m.tray.IconIndex(), s.image) << what;
    EXPECT_EQ(m.tray.Hint(), s.hint) << what;
    EXPECT_EQ(m.sounds(), s.sounds) << what;
    EXPECT_EQ(m.mail->TimerEnabled(), s.timer) << what;
}
}  // namespace

TEST(MailCheck, CountsTheMailboxAndShowsItInTheTray) {
    struct {
        int messages;
        Shown shown;
    } cases[] = {
        {3, {1, "Você tem 3 mensagens."_a, 1, true}},
        {0, {0, "Não há mensagens."_a, 0, true}},
        {1, {1, "Você tem uma mensagem."_a, 1, true}},
        {12, {1, "Você tem 12 mensagens."_a, 1, true}},
    };
    for (auto& c : cases) {
        std::string what = std::to_string(c.messages) + " messages";
        Mailbox m(Pop3Script::Messages(c.messages));
        EXPECT_FALSE(m.mail->TimerEnabled());
        m.mail->Start();
        ASSERT_TRUE(m.server.waitForClose()) << what;
        EXPECT_EQ(m.server.dialogue(), counted(c.messages)) << what;
        expectShown(m, c.shown, what);
        EXPECT_EQ(m.tray.UpdateCount(), 1) << what;
        EXPECT_EQ(m.lines(), std::vector<AnsiString>{kChecking}) << what;
    }
}

TEST(MailCheck, TheManualCheckOnlyCounts) {
    Mailbox m(Pop3Script::Messages(3));
    EXPECT_EQ(m.mail->Check(), -2);  // nothing taken from the settings yet
    EXPECT_EQ(m.server.connections(), 0);
    m.mail->Start();
    EXPECT_EQ(m.mail->Check(), 3);
    ASSERT_TRUE(m.server.waitForClose(2));
    EXPECT_EQ(m.server.dialogue(), counted(3) + counted(3));
    EXPECT_EQ(m.tray.UpdateCount(), 1);
    EXPECT_EQ(m.sounds(), 1);
    EXPECT_EQ(m.lines(), (std::vector<AnsiString>{kChecking, kChecking}));
}

TEST(MailCheck, TheTimerChecksAgainEveryFifteenMinutes) {
    Mailbox m(Pop3Script::Messages(2));
    m.mail->Start();
    m.machine.clock.Advance(kPeriod - 1);
    EXPECT_EQ(m.server.connections(), 1);
    m.machine.clock.Advance(1);
    EXPECT_EQ(m.server.connections(), 2);
    m.machine.clock.Advance(kPeriod);
    ASSERT_TRUE(m.server.waitForClose(3));
    EXPECT_EQ(m.server.dialogue(), counted(2) + counted(2) + counted(2));
    expectShown(m, {1, "Você tem 2 mensagens."_a, 3, true}, "after three checks");
    EXPECT_EQ(m.tray.UpdateCount(), 3);
}

TEST(MailCheck, AnApopGreetingIsStillAnsweredWithUserAndPass) {
    Mailbox m(Pop3Script::ApopGreeting(2));
    m.mail->Start();
    ASSERT_TRUE(m.server.waitForClose());
    EXPECT_EQ(m.server.dialogue(), counted(2, "+OK POP3 server ready <1896.697170952@pop.test.example>"));
    expectShown(m, {1, "Você tem 2 mensagens."_a, 1, true}, "APOP");
}

TEST(MailCheck, AQuitThatFailsAfterACountKeepsTheCount) {
    Mailbox m(Pop3Script::DropAtQuit(4));
    m.mail->Start();
    expectShown(m, {1, "Você tem 4 mensagens."_a, 1, true}, "QUIT dropped");
    EXPECT_EQ(m.lines(), std::vector<AnsiString>{kChecking});
}

TEST(MailCheck, EveryFailureEndsInTheErrorHintAndStopsTheTimer) {
    auto withGreeting = [](std::string g) {
        Pop3Script s = Pop3Script::Messages(1);
        s.greeting = std::move(g);
        return s;
    };
    struct {
        const char* what;
        Pop3Script script;
        AnsiString user, password;
        bool noServer;
        AnsiString error;
        Lines dialogue;  // of the first check
        int connections;
    } cases[] = {
        {"wrong password",
         Pop3Script::WrongPassword(),
         "joao",
         "segredo",
         false,
         "[AUTH] invalid password",
         {"S: +OK POP3 server ready", "C: USER joao", "S: +OK", "C: PASS segredo", "S: -ERR [AUTH] invalid password",
          "C: <closed>"},
         1},
        {"busy server",
         withGreeting("-ERR busy"),
         "joao",
         "segredo",
         false,
         "busy",
         {"S: -ERR busy", "C: <closed>"},
         1},
        {"empty greeting",
         withGreeting(""),
         "joao",
         "segredo",
         false,
         "Empty reply from the server.",
         {"S: ", "C: <closed>"},
         1},
        {"a greeting of noise",
         withGreeting("x\x01\x02" + std::string(400, '#')),
         "joao",
         "segredo",
         false,
         "x??" + std::string(154, '#') + "...",
         {"S: x\x01\x02" + std::string(400, '#'), "C: <closed>"},
         1},
        {"STAT without a number", Pop3Script::StatWithoutNumber(), "joao", "segredo", false,
         "Invalid reply to STAT: +OK", login() + Lines{"C: STAT", "S: +OK", "C: <closed>"}, 1},
        {"no server",
         Pop3Script::Messages(1),
         "joao",
         "segredo",
         true,
         "Socket Error # 10061 Connection refused.",
         {},
         0},
        {"line break in the login",
         Pop3Script::Messages(1),
         "joao\r\nDELE 1",
         "segredo",
         false,
         "Login or password holds a line break.",
         {},
         0},
        {"line break in the password",
         Pop3Script::Messages(1),
         "joao",
         "segredo\nDELE 1",
         false,
         "Login or password holds a line break.",
         {},
         0},
    };
    for (auto& c : cases) {
        Mailbox m(c.script, c.user, c.password);
        if (c.noServer) {
            m.machine.writeMachineFile("hosts.txt", AnsiString(kMailHost) + " 127.0.0.1:" +
                                                        std::to_string(Pop3TestServer::UnusedPort()) + "\n");
        }
        m.mail->Start();
        expectShown(m, {0, kAccessError, 0, false}, c.what);
        EXPECT_EQ(m.tray.UpdateCount(), 1) << c.what;
        EXPECT_EQ(m.lines(), (std::vector<AnsiString>{kChecking, "Checar e-mail: " + c.error, kAccessError}))
            << c.what;
        if (c.connections > 0) {
            ASSERT_TRUE(m.server.waitForClose()) << c.what;
        }
        EXPECT_EQ(m.server.dialogue(), c.dialogue) << c.what;

        // The timer stays off; a manual check starts on a fresh connection and restarts it.
        m.machine.clock.Advance(kPeriod);
        EXPECT_EQ(m.server.connections(), c.connections) << c.what;
        EXPECT_EQ(m.mail->Check(), -1) << c.what;
        EXPECT_EQ(m.server.connections(), 2 * c.connections) << c.what;
        if (c.connections > 0) {
            ASSERT_TRUE(m.server.waitForClose(2)) << c.what;
            EXPECT_EQ(m.server.dialogue(), c.dialogue + c.dialogue) << c.what;
        }
        m.mail->Restart();
        EXPECT_TRUE(m.mail->TimerEnabled()) << c.what;
    }
}

TEST(MailCheck, ASilentServerTimesOutInsteadOfHanging) {
    struct {
        const char* what;
        Pop3Script script;
        AnsiString error;
    } cases[] = {
        {"no greeting", Pop3Script::Silent(), "Read timed out."},
        {"connection never taken", Pop3Script::NoAccept(), "Socket Error # 10060 Connection timed out."},
    };
    for (auto& c : cases) {
        Mailbox m(c.script);
        // On another thread, as the connected sequence runs it.
        int64_t advanced = AdvanceUntilDone(m.machine.clock, [&] { m.mail->Start(); });
        EXPECT_GE(advanced, 30000) << c.what;
        EXPECT_LT(advanced, 120000) << c.what;
        expectShown(m, {0, kAccessError, 0, false}, c.what);
        EXPECT_EQ(m.lines(), (std::vector<AnsiString>{kChecking, "Checar e-mail: " + c.error, kAccessError}))
            << c.what;
    }
}

TEST(MailCheck, NoCheckForTheAnonymousAccountOrWhenSwitchedOff) {
    struct {
        const char* what;
        AnsiString user, password;
        bool autoCheck;
    } cases[] = {
        {"anonymous account", "vyn", "zuq", true},
        {"no login", "", "segredo", true},
        {"no password", "joao", "", true},
        {"switched off", "joao", "segredo", false},
    };
    for (auto& c : cases) {
        Mailbox m(Pop3Script::Messages(3), c.user, c.password);
        m.conf->SetAutoCheckMail(c.autoCheck);
        m.mail->Start();
        EXPECT_EQ(m.mail->Check(), -2) << c.what;
        m.machine.clock.Advance(kPeriod);
        EXPECT_EQ(m.server.connections(), 0) << c.what;
        EXPECT_TRUE(m.lines().empty()) << c.what;
        expectShown(m, {1, "antes", 0, false}, c.what);
        EXPECT_EQ(m.tray.UpdateCount(), 0) << c.what;
    }
}

TEST(MailCheck, SwitchingOffStopsTheTimerAtTheNextTick) {
    Mailbox m(Pop3Script::Messages(0));
    m.mail->Start();
    EXPECT_TRUE(m.mail->TimerEnabled());
    m.conf->SetAutoCheckMail(false);
    EXPECT_EQ(m.mail->Check(), -2);
    m.machine.clock.Advance(kPeriod);
    EXPECT_FALSE(m.mail->TimerEnabled());
    EXPECT_EQ(m.server.connections(), 1);
    expectShown(m, {0, "Não há mensagens."_a, 0, false}, "switched off later");
}

TEST(MailCheck, RestartCountsAFullPeriodFromNow) {
    Mailbox m(Pop3Script::Messages(0));
    m.mail->Start();
    m.machine.clock.Advance(600000);
    m.mail->Restart();
    m.machine.clock.Advance(kPeriod - 1);
    EXPECT_EQ(m.server.connections(), 1);
    m.machine.clock.Advance(1);
    EXPECT_EQ(m.server.connections(), 2);
    EXPECT_TRUE(m.mail->TimerEnabled());
}

TEST(MailCheck, ChecksFromTwoThreadsTakeTurns) {
    Mailbox m(Pop3Script::Messages(2));
    m.mail->Start();
    std::vector<int> mine, theirs;
    std::thread other([&] {
        for (int i = 0; i < 3; ++i) theirs.push_back(m.mail->Check());
    });
    for (int i = 0; i < 3; ++i) mine.push_back(m.mail->Check());
    other.join();
    // Moving the clock while a conversation waits for its reply would time the reply out, so
    // the tick comes after both threads are done.
    m.machine.clock.Advance(kPeriod);
    EXPECT_EQ(mine, (std::vector<int>{2, 2, 2}));
    EXPECT_EQ(theirs, (std::vector<int>{2, 2, 2}));
    ASSERT_TRUE(m.server.waitForClose(8));
    Lines all;
    for (int i = 0; i < 8; ++i) all = all + counted(2);
    EXPECT_EQ(m.server.dialogue(), all);
}

TEST(MailCheck, FreedWhileACheckRunsOnAnotherThread) {
    Mailbox m(Pop3Script::Silent());
    TChecaMail* mail = m.mail.release();
    AdvanceUntilDone(m.machine.clock, [&] {
        // The connected sequence's check waits for a greeting that never comes...
        std::thread sequence([mail] { mail->Start(); });
        EXPECT_TRUE(m.server.waitForConnection());
        // ...while the main window frees the mail check, which waits for that check to end.
        std::thread window([mail] { delete mail; });
        sequence.join();
        window.join();
    });
    EXPECT_EQ(m.tray.Hint(), kAccessError);
    EXPECT_EQ(m.lines(), (std::vector<AnsiString>{kChecking, "Checar e-mail: Read timed out.", kAccessError}));
}
