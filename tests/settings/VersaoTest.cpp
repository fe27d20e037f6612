#include "SettingsFixture.h"

#include "settings/Hosts.h"
#include "settings/Versao.h"
#include "support/HttpTestServer.h"

#include "platform/ShellApi.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {
const AnsiString kQuestion = "Existe uma nova versão do discador. Você deseja instalar?"_a;
const AnsiString kInstaller = "http://discador.vyn.example/private/corvala/instalardiscadorcorvala.exe";
const AnsiString kFailed = "Ocorreu um erro ao checar novas atualizações"_a;

// The program stands in for "Mirvane.exe": the test program carries the same version block.
struct Check : LoggedMachine {
    HttpTestServer server;
    Check() {
        machine.writeMachineFile("hosts.txt", server.hostsLine(kDialerServiceHost));
        fs::create_symlink(fs::read_symlink("/proc/self/exe"), machine.path("Mirvane.exe"));
    }
};
}  // namespace

TEST(UpdateCheck, TheOwnVersionComesFromTheProgramFile) {
    {
        Check c;
        EXPECT_EQ(TVersao(c.services()).localVersion, "1.3.0.28");
    }
    LoggedMachine bare;
    bare.machine.writeProgramFile("Mirvane.exe", "not a program");
    EXPECT_EQ(TVersao(bare.services()).localVersion, "");
}

TEST(UpdateCheck, CutAtLastDelimiter) {
    struct {
        const char* text;
        const char* cut;
    } cases[] = {
        {"1.3.0.28", "1.3.0"}, {"abc", "abc"}, {".5", ""}, {"", ""}, {"1.", "1"}, {"a.b.c", "a.b"},
    };
    for (auto& c : cases) EXPECT_EQ(TVersao::CutAtLastDelimiter(c.text, "."), c.cut) << c.text;
    EXPECT_EQ(TVersao::CutAtLastDelimiter("1.2-3", ".-"), "1.2");
}

TEST(UpdateCheck, VersionsCompareByNumberWhenTheyAreNumbers) {
    struct {
        const char* remote;
        const char* local;
        bool newer;
    } cases[] = {
        {"1.3.1", "1.3.0", true},
        {"1.3.0", "1.3.0", false},
        {"1.10.0", "1.9.0", true},
        {"1.9.0", "1.10.0", false},
        {"2", "1.3.0", true},
        {"1.3", "1.3.0", false},
        {"1.3.0.1", "1.3.0", true},
        {"01.3.0", "1.3.0", false},
        {"99999999999999999999.0", "9.0", true},
        {"", "1.3.0", false},
        {"1.3.1", "", true},
        {"1.3.1b", "1.3.0", true},  // not numbers: byte by byte
        {"1.10.0b", "1.9.0", false},
        {"1..3", "1.2", false},
    };
    for (auto& c : cases) EXPECT_EQ(TVersao::IsNewer(c.remote, c.local), c.newer) << c.remote << " / " << c.local;
}

TEST(UpdateCheck, RepliesAnswersAndTheInstaller) {
    struct {
        const char* what;
        std::string body;
        std::vector<int> answers;
        bool result;
        bool asked;
    } cases[] = {
        {"newer, yes", "*1.3.1.0*", {IDYES}, true, true},
        {"newer, no", "*1.3.1.0*", {IDNO}, false, true},
        {"newer, box closed", "*1.3.1.0*", {IDCANCEL}, false, true},
        {"same cut", "*1.3.0.99*", {IDYES}, false, false},
        {"numerically newer", "*1.10.0.0*", {IDYES}, true, true},
        {"older", "*1.2.9.9*", {IDYES}, false, false},
        {"no star", "1.3.1.0", {IDYES}, false, false},
        {"one star", "*1.3.1.0", {IDYES}, false, false},
        {"empty between", "**", {IDYES}, false, false},
        {"text around", "vers\xE3o *1.3.1.0* ok", {IDYES}, true, true},
        {"no dots", "*2*", {IDYES}, true, true},
        {"zero byte first", std::string("x\0*9.0.0.0*", 11), {IDYES}, false, false},
    };
    for (auto& c : cases) {
        Check k;
        k.server.script(HttpScript::Reply(200, "OK", c.body));
        k.machine.answerBoxes(c.answers);
        EXPECT_EQ(TVersao(k.services()).CheckNewVersion(), c.result) << c.what;
        auto boxes = k.machine.boxes();
        ASSERT_EQ(boxes.size(), c.asked ? 1u : 0u) << c.what;
        if (c.asked) {
            EXPECT_EQ(boxes[0].text, kQuestion);
            EXPECT_EQ(boxes[0].caption, "Ruvozava Corvala");
            EXPECT_EQ(boxes[0].flags, unsigned(MB_YESNO));
        }
        auto shell = RecordedShellCalls();
        ASSERT_EQ(shell.size(), c.result ? 1u : 0u) << c.what;
        if (c.result) {
            EXPECT_EQ(shell[0].operation, "open");
            EXPECT_EQ(shell[0].file, kInstaller);
            EXPECT_EQ(shell[0].parameters, "");
            EXPECT_EQ(shell[0].directory, "");
            EXPECT_EQ(shell[0].showCmd, SW_SHOWNORMAL);
        }
        EXPECT_TRUE(k.lines().empty()) << c.what;
        ASSERT_EQ(k.server.requests().size(), 1u);
        EXPECT_EQ(k.server.requests()[0].substr(0, k.server.requests()[0].find("\r\n")),
                  "GET /private/corvala/versao.php HTTP/1.1");
    }
}

TEST(UpdateCheck, FailedRequestsAreOneLine) {
    struct {
        const char* what;
        HttpScript reply;
        bool logged;
    } cases[] = {
        {"404", HttpScript::Reply(404, "Not Found"), true},
        {"redirect", HttpScript::Redirect(302, "Found", "http://outro.vyn.example/"), true},
        {"204", HttpScript::Reply(204, "No Content"), false},
    };
    for (auto& c : cases) {
        Check k;
        k.server.script(c.reply);
        EXPECT_FALSE(TVersao(k.services()).CheckNewVersion()) << c.what;
        EXPECT_EQ(k.lines(), c.logged ? std::vector<AnsiString>{kFailed} : std::vector<AnsiString>{}) << c.what;
        EXPECT_TRUE(k.machine.boxes().empty());
    }
}

TEST(UpdateCheck, AnUnreadableOwnVersionTakesAnyOffer) {
    LoggedMachine m;
    HttpTestServer server;
    m.machine.writeMachineFile("hosts.txt", server.hostsLine(kDialerServiceHost));
    server.script(HttpScript::Reply(200, "OK", "*0.0.1.0*"));
    m.machine.answerBoxes({IDNO});
    TVersao v(m.services());
    EXPECT_EQ(v.localVersion, "");
    EXPECT_FALSE(v.CheckNewVersion());
    EXPECT_EQ(m.machine.boxes().size(), 1u);
}
