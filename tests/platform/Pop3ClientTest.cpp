#include "platform/Pop3Client.h"
#include "platform/RequestStop.h"
#include "platform/SysUtils.h"
#include "support/ClockDriver.h"
#include "support/Pop3TestServer.h"
#include "support/TempMachine.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {
using Lines = std::vector<std::string>;
const char* const kHost = "pop.test.example";

// What a caller of the client sees for one mailbox count: the count (-1 on an error), the
// error text, and what QUIT met.
struct Outcome {
    int count = -1;
    std::string error;
    bool quitOk = false;
    std::string quitError;
};

Outcome countMessages(TIdPOP3& c, const std::string& user = "joao", const std::string& pass = "segredo") {
    Outcome o;
    c.Host = kHost;
    c.UserId = user;
    c.Password = pass;
    try {
        c.Connect();
        o.count = c.CheckMessages();
        o.quitOk = c.Disconnect();
        o.quitError = c.DisconnectError();
    } catch (const Exception& e) {
        o.error = e.Message;
    }
    return o;
}

Lines login(const std::string& greeting = "+OK POP3 server ready") {
    return {"S: " + greeting, "C: USER joao", "S: +OK", "C: PASS segredo", "S: +OK"};
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Mailbox {
    explicit Mailbox(Pop3Script script) : server(std::move(script)) {
        machine.writeMachineFile("hosts.txt", server.hostsLine(kHost));
    }
    TempMachine machine;
    Pop3TestServer server;
};

// A one-message mailbox whose server says `text` in place of one of its usual replies.
Pop3Script with(std::string Pop3Script::*reply, const std::string& text) {
    Pop3Script s = Pop3Script::Messages(1);
    s.*reply = text;
    return s;
}

}  // namespace

TEST(Pop3Client, CountsTheMailboxWithTheExactDialogue) {
    struct {
        int messages;
        const char* stat;
    } cases[] = {
        {3, "+OK 3 3072"},
        {0, "+OK 0 0"},
        {1, "+OK 1 1024"},
        {12, "+OK 12 12288"},
    };
    for (auto& c : cases) {
        Mailbox box(Pop3Script::Messages(c.messages));
        TIdPOP3 client;
        Outcome o = countMessages(client);
        EXPECT_EQ(o.error, "") << c.messages;
        EXPECT_EQ(o.count, c.messages);
        EXPECT_TRUE(o.quitOk);
        EXPECT_FALSE(client.Connected());
        ASSERT_TRUE(box.server.waitForClose());
        EXPECT_EQ(box.server.dialogue(),
                  (login() + Lines{"C: STAT", std::string("S: ") + c.stat, "C: Quit", "S: +OK bye"}));
    }
}

TEST(Pop3Client, ApopGreetingIsStillAnsweredWithUserAndPass) {
    Mailbox box(Pop3Script::ApopGreeting(2));
    TIdPOP3 client;
    Outcome o = countMessages(client);
    EXPECT_EQ(o.count, 2);
    ASSERT_TRUE(box.server.waitForClose());
    EXPECT_EQ(box.server.dialogue(), (login("+OK POP3 server ready <1896.697170952@pop.test.example>") +
                                      Lines{"C: STAT", "S: +OK 2 2048", "C: Quit", "S: +OK bye"}));
}

TEST(Pop3Client, RefusedCommandsEndTheConnectionWithoutQuit) {
    struct {
        const char* name;
        Pop3Script script;
        std::string error;
        Lines dialogue;
    } cases[] = {
        {"wrong password",
         Pop3Script::WrongPassword(),
         "[AUTH] invalid password",
         {"S: +OK POP3 server ready", "C: USER joao", "S: +OK", "C: PASS segredo", "S: -ERR [AUTH] invalid password",
          "C: <closed>"}},
        {"busy greeting",
         with(&Pop3Script::greeting, "-ERR busy, try later"),
         "busy, try later",
         {"S: -ERR busy, try later", "C: <closed>"}},
        {"unknown user",
         with(&Pop3Script::userReply, "-ERR"),
         "-ERR",
         {"S: +OK POP3 server ready", "C: USER joao", "S: -ERR", "C: <closed>"}},
        {"no mailbox", with(&Pop3Script::statReply, "-ERR mailbox locked"), "mailbox locked",
         login() + Lines{"C: STAT", "S: -ERR mailbox locked", "C: <closed>"}},
        {"STAT without number", Pop3Script::StatWithoutNumber(), "Invalid reply to STAT: +OK",
         login() + Lines{"C: STAT", "S: +OK", "C: <closed>"}},
        // Server text is fit for a status line: never empty, no control bytes, not too long.
        {"empty greeting", with(&Pop3Script::greeting, ""), "Empty reply from the server.", {"S: ", "C: <closed>"}},
        {"blank refusal",
         with(&Pop3Script::userReply, "-ERR \t "),
         "-ERR",
         {"S: +OK POP3 server ready", "C: USER joao", "S: -ERR \t ", "C: <closed>"}},
        {"control bytes",
         with(&Pop3Script::passReply, "-ERR sem\x07 acesso\x1b[0m"),
         "sem? acesso?[0m",
         {"S: +OK POP3 server ready", "C: USER joao", "S: +OK", "C: PASS segredo", "S: -ERR sem\x07 acesso\x1b[0m",
          "C: <closed>"}},
        {"a long refusal",
         [] {
             auto s = Pop3Script::Messages(1);
             s.statReply = "-ERR " + std::string(5000, 'e');
             return s;
         }(),
         std::string(157, 'e') + "...",
         login() + Lines{"C: STAT", "S: -ERR " + std::string(5000, 'e'), "C: <closed>"}},
        {"a long STAT reply",
         [] {
             auto s = Pop3Script::Messages(1);
             s.statReply = "+OK x" + std::string(300, '9');
             return s;
         }(),
         "Invalid reply to STAT: +OK x" + std::string(157 - 5, '9') + "...",
         login() + Lines{"C: STAT", "S: +OK x" + std::string(300, '9'), "C: <closed>"}},
    };
    for (auto& c : cases) {
        Mailbox box(c.script);
        TIdPOP3 client;
        Outcome o = countMessages(client);
        EXPECT_EQ(o.count, -1) << c.name;
        EXPECT_EQ(o.error, c.error) << c.name;
        EXPECT_FALSE(client.Connected()) << c.name;
        ASSERT_TRUE(box.server.waitForClose()) << c.name;
        EXPECT_EQ(box.server.dialogue(), c.dialogue) << c.name;
    }
}

TEST(Pop3Client, ReadsTheCountOnlyFromAWellFormedStatReply) {
    struct {
        const char* reply;
        int count;
    } cases[] = {
        {"+OK 3", 3},
        {"+ok 5 100", 5},
        {"+OK  7  900 extra", 7},
        {"+OK 2147483647 0", 2147483647},
        {"+OK abc 12", -1},
        {"+OK -1 0", -1},
        {"+OK 3abc 0", -1},
        {"+OK 2147483648 0", -1},
        {"+OK 99999999999 0", -1},
        {"+OK ", -1},
        {"+OKAY", -1},
    };
    for (auto& c : cases) {
        Pop3Script s;
        s.statReply = c.reply;
        Mailbox box(s);
        TIdPOP3 client;
        Outcome o = countMessages(client);
        EXPECT_EQ(o.count, c.count) << c.reply;
        EXPECT_EQ(o.error, c.count < 0 ? std::string("Invalid reply to STAT: ") + c.reply : "") << c.reply;
    }
}

TEST(Pop3Client, QuitFailureAfterAGoodCountIsReportedApart) {
    struct {
        const char* name;
        Pop3Script script;
        std::string quitError;
    } cases[] = {
        {"line dropped at QUIT", Pop3Script::DropAtQuit(4), "Connection Closed Gracefully."},
        {"QUIT refused",
         [] {
             auto s = Pop3Script::Messages(4);
             s.quitReply = "-ERR cannot update";
             return s;
         }(),
         "cannot update"},
    };
    for (auto& c : cases) {
        Mailbox box(c.script);
        TIdPOP3 client;
        Outcome o = countMessages(client);
        EXPECT_EQ(o.error, "") << c.name;
        EXPECT_EQ(o.count, 4) << c.name;
        EXPECT_FALSE(o.quitOk) << c.name;
        EXPECT_EQ(o.quitError, c.quitError) << c.name;
        EXPECT_FALSE(client.Connected()) << c.name;
        // A later disconnect has nothing to say.
        EXPECT_TRUE(client.Disconnect());
        EXPECT_EQ(client.DisconnectError(), "");
    }
}

TEST(Pop3Client, NoServerToAsk) {
    TempMachine m;
    m.writeMachineFile("hosts.txt",
                       std::string(kHost) + " 127.0.0.1:" + std::to_string(Pop3TestServer::UnusedPort()) + "\n");
    struct {
        const char* name;
        std::string host;
        std::string error;
    } cases[] = {
        {"nobody listening", kHost, "Socket Error # 10061 Connection refused."},
        {"no mail server set", "", "Socket Error # 11001 Host not found."},
    };
    for (auto& c : cases) {
        TIdPOP3 client;
        client.Host = c.host;
        client.UserId = "joao";
        client.Password = "segredo";
        try {
            client.Connect();
            ADD_FAILURE() << c.name << ": connected";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message, c.error) << c.name;
        }
        EXPECT_FALSE(client.Connected()) << c.name;
    }
}

TEST(Pop3Client, LineBreaksInTheLoginAreRefusedBeforeConnecting) {
    struct {
        std::string user, pass;
    } cases[] = {
        {"joao\r\nDELE 1", "segredo"},
        {"joao\n", "segredo"},
        {"joao", "seg\rredo"},
        {"joao", std::string("seg\0redo", 8)},
    };
    for (auto& c : cases) {
        Mailbox box(Pop3Script::Messages(1));
        TIdPOP3 client;
        Outcome o = countMessages(client, c.user, c.pass);
        EXPECT_EQ(o.count, -1);
        EXPECT_EQ(o.error, "Login or password holds a line break.");
        EXPECT_FALSE(client.Connected());
        // The same client then counts normally: its connection is the server's first.
        EXPECT_EQ(countMessages(client).count, 1);
        ASSERT_TRUE(box.server.waitForClose());
        EXPECT_EQ(box.server.connections(), 1);
        EXPECT_EQ(box.server.dialogue(), (login() + Lines{"C: STAT", "S: +OK 1 1024", "C: Quit", "S: +OK bye"}));
    }
}

TEST(Pop3Client, AnErrorLeavesTheClientReadyForAFreshCount) {
    TempMachine m;
    TIdPOP3 client;
    {
        Pop3TestServer refusing(Pop3Script::WrongPassword());
        m.writeMachineFile("hosts.txt", refusing.hostsLine(kHost));
        EXPECT_EQ(countMessages(client).error, "[AUTH] invalid password");
    }
    Pop3TestServer good(Pop3Script::Messages(7));
    m.writeMachineFile("hosts.txt", good.hostsLine(kHost));
    EXPECT_EQ(countMessages(client).count, 7);
    ASSERT_TRUE(good.waitForClose());
    EXPECT_EQ(good.dialogue().front(), "S: +OK POP3 server ready");
}

TEST(Pop3Client, SilentServerTimesOutOnTheProgramClock) {
    // Ends no sooner than its time-out; the shorter one well before the default.
    struct {
        const char* name;
        int readTimeout;
        int64_t atLeast, below;
    } cases[] = {{"default", 0, 30000, 120000}, {"set to 5 s", 5000, 5000, 30000}};
    for (auto& c : cases) {
        Mailbox box(Pop3Script::Silent());
        TIdPOP3 client;
        if (c.readTimeout > 0) client.ReadTimeout = c.readTimeout;
        Outcome o;
        int64_t advanced = AdvanceUntilDone(box.machine.clock, [&] { o = countMessages(client); });
        EXPECT_EQ(o.error, "Read timed out.") << c.name;
        EXPECT_GE(advanced, c.atLeast) << c.name;
        EXPECT_LT(advanced, c.below) << c.name;
        EXPECT_FALSE(client.Connected());
        ASSERT_TRUE(box.server.waitForClose()) << c.name;
        EXPECT_EQ(box.server.dialogue(), (Lines{"C: <closed>"})) << c.name;
    }
    EXPECT_EQ(TIdPOP3().ReadTimeout, 30000);
}

TEST(Pop3Client, UnansweredConnectTimesOut) {
    Mailbox box(Pop3Script::NoAccept());
    TIdPOP3 client;
    EXPECT_EQ(client.ConnectTimeout, 30000);
    Outcome o;
    int64_t advanced = AdvanceUntilDone(box.machine.clock, [&] { o = countMessages(client); });
    EXPECT_EQ(o.error, "Socket Error # 10060 Connection timed out.");
    EXPECT_GE(advanced, 30000);
    EXPECT_LT(advanced, 120000);
    EXPECT_FALSE(client.Connected());
}

TEST(Pop3Client, AWaitOnTheTestClockIsWokenByTheClockItself) {
    // Once the connect waits on the clock, one move past its deadline ends it: nothing polls.
    struct {
        const char* name;
        int timeout;
        int64_t move;
    } cases[] = {{"to the deadline", 5000, 5000}, {"far past it", 5000, 600000}, {"the default", 0, 30000}};
    for (auto& c : cases) {
        Mailbox box(Pop3Script::NoAccept());
        TIdPOP3 client;
        if (c.timeout > 0) client.ConnectTimeout = c.timeout;
        std::size_t idle = box.machine.clock.ListenerCount();
        std::atomic<bool> done{false};
        Outcome o;
        std::thread worker([&] {
            o = countMessages(client);
            done = true;
        });
        while (!done && box.machine.clock.ListenerCount() == idle) std::this_thread::yield();
        box.machine.clock.Advance(c.move);
        worker.join();
        EXPECT_EQ(o.error, "Socket Error # 10060 Connection timed out.") << c.name;
        EXPECT_EQ(box.machine.clock.ListenerCount(), idle) << c.name;
    }
}

TEST(Pop3Client, AStopEndsTheConversationOfItsThread) {
    for (Pop3Script script : {Pop3Script::Silent(), Pop3Script::NoAccept()}) {
        Mailbox box(script);
        TIdPOP3 client;
        TRequestStop stop;
        std::size_t idle = box.machine.clock.ListenerCount();
        Outcome o, again;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            TRequestStopScope scope(stop);
            o = countMessages(client);
            again = countMessages(client);  // fails before it connects
            done = true;
        });
        // Once the client waits (it listens to the clock then), the stop ends the wait.
        while (!done && box.machine.clock.ListenerCount() == idle) std::this_thread::yield();
        stop.Stop();
        worker.join();
        EXPECT_EQ(o.error + " " + again.error, "Request cancelled. Request cancelled.");
        EXPECT_EQ(box.machine.clock.MonotonicMs(), 0) << "no time-out was waited for";
    }
}
