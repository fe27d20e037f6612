#include "SettingsFixture.h"

#include "platform/HttpClient.h"
#include "settings/Hosts.h"
#include "settings/Telget.h"
#include "support/FileTimes.h"
#include "support/HttpTestServer.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

namespace fs = std::filesystem;

namespace {
constexpr TDateTime kHour = 1.0 / 24, kMinute = kHour / 60;
const std::string kOld = "<ESTADOS><ESTADO sigla=\"AC\"/></ESTADOS>";
const std::string kNew =
    "<ESTADOS><ESTADO sigla=\"SP\"><CIDADE nome=\"Santos\" ddd=\"13\"><TEL>1</TEL></CIDADE>"
    "</ESTADO></ESTADOS>";
const AnsiString kUpdated = "Arquivo de telefones atualizado."_a;
const AnsiString kInvalid = "Arquivo de telefones recebido é inválido."_a;
const AnsiString kNot200 = "Ocorreu um erro ao receber o arquivo de telefones."_a;
const AnsiString kError = "Ocorreu um erro ao receber o arquivo de telefones:\n"_a;

struct Download : LoggedMachine {
    HttpTestServer server;
    Download() { machine.writeMachineFile("hosts.txt", server.hostsLine(kDialerServiceHost)); }
    void tels(const std::string& content, TDateTime age) {
        machine.writeProgramFile("tels", content);
        SetFileModified(machine.path("tels"), Now() - age);
    }
    void update() { TTelGet(services()).Update(); }
    bool hasTemp() const { return fs::exists(machine.path("telstemp")); }
};
}  // namespace

TEST(PhoneListDownload, OnlyAListAWholeDayOldIsFetched) {
    struct {
        const char* what;
        TDateTime age;
        bool fetched;
    } cases[] = {
        {"23 h 59 min", 23 * kHour + 59 * kMinute, false},
        {"24 h", 24 * kHour, true},
        {"three days", 72 * kHour, true},
        {"in the future", -kHour, false},
        {"more than a day in the future", -25 * kHour, false},
    };
    for (auto& c : cases) {
        Download d;
        d.server.script(HttpScript::Reply(200, "OK", kNew));
        d.tels(kOld, c.age);
        d.update();
        EXPECT_EQ(d.server.requests().size(), c.fetched ? 1u : 0u) << c.what;
        EXPECT_EQ(d.lines(), c.fetched ? std::vector<AnsiString>{kUpdated} : std::vector<AnsiString>{}) << c.what;
        EXPECT_EQ(d.machine.readProgramFile("tels"), c.fetched ? kNew : kOld) << c.what;
        EXPECT_FALSE(d.hasTemp()) << c.what;
    }
}

TEST(PhoneListDownload, AFutureDateWaitsUntilADayAfterIt) {
    Download d;
    d.server.script(HttpScript::Reply(200, "OK", kNew));
    d.tels(kOld, -2 * kHour);
    d.update();
    d.machine.clock.SetNow(Now() + 25 * kHour);
    d.update();
    EXPECT_EQ(d.server.requests().size(), 0u);
    d.machine.clock.SetNow(Now() + 1 * kHour);
    d.update();
    EXPECT_EQ(d.server.requests().size(), 1u);
    EXPECT_EQ(d.machine.readProgramFile("tels"), kNew);
}

TEST(PhoneListDownload, NoListNoRequest) {
    Download d;
    d.update();
    EXPECT_TRUE(d.server.requests().empty());
    EXPECT_TRUE(d.lines().empty());
    EXPECT_FALSE(fs::exists(d.machine.path("tels")));
}

TEST(PhoneListDownload, TheRequestIsAPlainGet) {
    Download d;
    d.server.script(HttpScript::Reply(200, "OK", kNew));
    d.tels(kOld, 30 * kHour);
    d.update();
    ASSERT_EQ(d.server.requests().size(), 1u);
    EXPECT_EQ(d.server.requests()[0],
              "GET /private/corvala/tels HTTP/1.1\r\nHost: discador.vyn.example\r\nAccept: text/html, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n");
}

TEST(PhoneListDownload, RepliesAndTheirOutcomes) {
    const std::string gzipped = Gzip(kNew);
    const std::string errorPage = "<html><body>Erro interno<br></body></html>";
    struct {
        const char* what;
        HttpScript reply;
        AnsiString line;
        std::string tels;                 // afterwards
        std::optional<std::string> temp;  // afterwards; none: no "telstemp"
    } cases[] = {
        {"404", HttpScript::Reply(404, "Not Found", "<html>404</html>"), kError + "404 Not Found", kOld, {}},
        {"204", HttpScript::Reply(204, "No Content"), kNot200, kOld, {}},
        {"redirect",
         HttpScript::Redirect(302, "Found", "http://outro.vyn.example/tels"),
         kError + "302 Found",
         kOld,
         {}},
        {"error page", HttpScript::Reply(200, "OK", errorPage), kInvalid, kOld, errorPage},
        {"cut off", HttpScript::Reply(200, "OK", kNew.substr(0, 40)), kInvalid, kOld, kNew.substr(0, 40)},
        {"no ESTADOS",
         HttpScript::Reply(200, "OK", "<?xml version=\"1.0\"?><VAZIO/>"),
         kUpdated,
         "<?xml version=\"1.0\"?><VAZIO/>",
         {}},
        {"gzip", HttpScript::Reply(200, "OK", gzipped), kUpdated, gzipped, {}},
        {"chunked", HttpScript::Chunked(200, "OK", {kNew.substr(0, 10), kNew.substr(10)}), kUpdated, kNew, {}},
        {"beyond the list's bounds", HttpScript::Reply(200, "OK", OneCityList(std::string(5000, 'n'), "1")),
         kInvalid + " Campo acima de 4 KB ou marcação acima de 64 KB."_a, kOld,
         OneCityList(std::string(5000, 'n'), "1")},
        {"a body that never ends", HttpScript::Endless(), kError + "Reply larger than 16777216 bytes.", kOld, {}},
    };
    for (auto& c : cases) {
        Download d;
        d.server.script(c.reply);
        d.tels(kOld, 48 * kHour);
        d.update();
        EXPECT_EQ(d.server.requests().size(), 1u) << c.what;
        EXPECT_EQ(d.lines(), std::vector<AnsiString>{c.line}) << c.what;
        EXPECT_TRUE(d.machine.readProgramFile("tels") == c.tels) << c.what;
        EXPECT_EQ(d.hasTemp(), c.temp.has_value()) << c.what;
        if (c.temp && d.hasTemp()) {
            EXPECT_EQ(d.machine.readProgramFile("telstemp"), *c.temp) << c.what;
        }
    }
}

TEST(PhoneListDownload, AFailedReplacementLeavesTheListWhole) {
    Download d;
    d.tels(kOld, 48 * kHour);
    // While the download is on its way, something else takes the list's place, so the
    // rename cannot go over it.
    HttpScript reply = HttpScript::Reply(200, "OK", kNew);
    reply.before = [&] {
        fs::remove(d.machine.path("tels"));
        fs::create_directory(d.machine.path("tels"));
        d.machine.writeProgramFile("tels/dentro", kOld);
    };
    d.server.script(reply);
    d.update();
    auto lines = d.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(kError + "Cannot rename file", 0), 0u) << lines[0];
    EXPECT_EQ(d.machine.readProgramFile("tels/dentro"), kOld);
    EXPECT_EQ(d.machine.readProgramFile("telstemp"), kNew);
}

TEST(PhoneListDownload, ADownloadThatCannotBeStoredIsAnError) {
    Download d;
    d.tels(kOld, 48 * kHour);
    fs::create_directory(d.machine.path("telstemp"));
    d.server.script(HttpScript::Reply(200, "OK", kNew));
    d.update();
    auto lines = d.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(kError + "Cannot create file", 0), 0u) << lines[0];
    EXPECT_EQ(d.machine.readProgramFile("tels"), kOld);
}

TEST(PhoneListDownload, ASilentServerEndsInTheErrorLine) {
    HttpTimeouts saved = DefaultHttpTimeouts();
    SetDefaultHttpTimeouts({2000, 1, 1});
    Download d;
    d.tels(kOld, 48 * kHour);
    d.server.script(HttpScript::Silent());
    std::thread update([&] { d.update(); });
    ASSERT_TRUE(d.server.waitForRequests(1, 20000));
    d.machine.clock.Advance(1000);  // a whole second of the stall rule without a byte
    update.join();
    SetDefaultHttpTimeouts(saved);
    auto lines = d.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(kError, 0), 0u);
    EXPECT_NE(lines[0].find("too slow"), std::string::npos) << lines[0];
    EXPECT_EQ(d.machine.readProgramFile("tels"), kOld);
}

TEST(PhoneListDownload, TheDownloadHasTheDeadlineOfAListNotOfASmallReply) {
    // 30 s and half a second for each of the 1024 KB a list is given; no stall rule meanwhile.
    HttpTimeouts saved = DefaultHttpTimeouts();
    HttpTimeouts deadlineOnly = saved;
    deadlineOnly.lowSpeedLimit = 0;
    SetDefaultHttpTimeouts(deadlineOnly);
    for (int64_t moved : {30000 + 1024 * 500 - 1, 30000 + 1024 * 500}) {
        Download d;
        d.tels(kOld, 48 * kHour);
        d.server.script(HttpScript::Held(kNew, 20));
        std::thread update([&] { d.update(); });
        ASSERT_TRUE(d.server.waitForRequests(1, 20000));
        d.machine.clock.Advance(moved);
        bool late = moved == 542000;
        if (!late) d.server.release();
        update.join();
        AnsiString line = late ? kError + "Operation timed out after 542000 milliseconds." : kUpdated;
        EXPECT_EQ(d.lines(), std::vector<AnsiString>{line});
    }
    SetDefaultHttpTimeouts(saved);
}

TEST(PhoneListDownload, AMissingHttpLibraryEndsInTheErrorLine) {
    const std::string kept = HttpLibraryName();
    SetHttpLibraryName("libvyn-no-such-library.so.4");
    Download d;
    d.tels(kOld, 48 * kHour);
    d.update();
    SetHttpLibraryName(kept);
    auto lines = d.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(kError + "Could not load the HTTP library libvyn-no-such-library.so.4: ", 0), 0u)
        << lines[0];
    EXPECT_EQ(d.server.requests().size(), 0u);
    EXPECT_EQ(d.machine.readProgramFile("tels"), kOld);
}
