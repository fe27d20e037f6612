#include "SettingsFixture.h"

#include "settings/Hosts.h"
#include "settings/Logcon.h"
#include "support/HttpTestServer.h"

#include <gtest/gtest.h>

TEST(FormEncoding, PiecesGoOutAsTheProviderExpects) {
    struct {
        const char* name;
        AnsiString value;
        bool sep;
        const char* piece;
    } cases[] = {
        {"dis_login", "abc", true, "dis_login=abc&"},
        {"dis_login", "", true, "dis_login=&"},
        {"dis_login", "a b", true, "dis_login=a%20b&"},
        {"dis_version", "1.3.0.28", true, "dis_version=1.3.0.28&"},
        {"dis_datahora", "05/11/2004 14:03:09", true, "dis_datahora=05/11/2004%2014:03:09&"},
        {"dis_coderr", "0678", false, "dis_coderr=0678"},
        {"dis_login", "jo\xE3o", true, "dis_login=jo%E3o&"},
        {"dis_login", "Jos\xE9", true, "dis_login=Jos%E9&"},
        {"dis_login", "*#%<>", true, "dis_login=%2A%23%25%3C%3E&"},
        {"dis_login", "user@vyn.example/?-_.~", true, "dis_login=user@vyn.example/?-_.~&"},
        // A value can never add a field or end one early.
        {"dis_login", "abc&dis_tel=9", true, "dis_login=abc%26dis_tel%3D9&"},
        {"dis_login", "a+b", true, "dis_login=a%2Bb&"},
        {"dis_login", AnsiString("a\r\n\t\x01\x7F", 6), true, "dis_login=a%0D%0A%09%01%7F&"},
        {"dis_login", AnsiString("\xFF\x80", 2), true, "dis_login=%FF%80&"},
    };
    for (auto& c : cases) EXPECT_EQ(EncodeFormPiece(c.name, c.value, c.sep), c.piece) << c.piece;
}

namespace {
struct Report : LoggedMachine {
    HttpTestServer server;
    Report() { machine.writeMachineFile("hosts.txt", server.hostsLine(kDialerServiceHost)); }
};
}  // namespace

TEST(ConnectionReport, PostsTheThreeFieldsAndIgnoresTheReply) {
    Report r;
    r.server.script(HttpScript::Reply(200, "OK", "qualquer coisa"));
    TLogCon(r.services()).Send("abc", "1.3.0.28", "0");
    ASSERT_EQ(r.server.requests().size(), 1u);
    EXPECT_EQ(r.server.requests()[0],
              "POST /private/corvala/conexao.php HTTP/1.1\r\n"
              "Host: discador.vyn.example\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: 45\r\n"
              "\r\n"
              "dis_login=abc&dis_version=1.3.0.28&dis_tel=0&");
    EXPECT_TRUE(r.lines().empty());
}

TEST(ConnectionReport, AccentedLoginsAreEscaped) {
    Report r;
    r.server.script(HttpScript::Reply(200, "OK"));
    TLogCon(r.services()).Send("joão"_a, "1.3.0.28", "01133334444");
    ASSERT_EQ(r.server.requests().size(), 1u);
    std::string request = r.server.requests()[0];
    EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4),
              "dis_login=jo%E3o&dis_version=1.3.0.28&dis_tel=01133334444&");
}

TEST(ConnectionReport, EveryFailureIsOneLineWithTheErrorsText) {
    struct {
        const char* what;
        HttpScript reply;
        const char* line;
    } cases[] = {
        {"404", HttpScript::Reply(404, "Not Found"), "404 Not Found"},
        {"redirect", HttpScript::Redirect(302, "Found", "http://outro.vyn.example/conexao.php"), "302 Found"},
        {"204", HttpScript::Reply(204, "No Content"), nullptr},
        {"500", HttpScript::Reply(500, "Erro"), "500 Erro"},
    };
    for (auto& c : cases) {
        Report r;
        r.server.script(c.reply);
        TLogCon(r.services()).Send("abc", "1.3.0.28", "0");
        EXPECT_EQ(r.server.requests().size(), 1u) << c.what << ": never sent again";
        EXPECT_EQ(r.lines(), c.line ? std::vector<AnsiString>{c.line} : std::vector<AnsiString>{}) << c.what;
    }
}

TEST(ConnectionReport, NoNetworkIsOneLine) {
    LoggedMachine m;
    m.machine.writeMachineFile("hosts.txt", "discador.vyn.example 127.0.0.1:1\n");
    TLogCon(m.services()).Send("abc", "1.3.0.28", "0");
    auto lines = m.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].empty());
}
