#include "SettingsFixture.h"

#include "settings/Conf.h"
#include "settings/Erros.h"
#include "settings/Hosts.h"
#include "settings/Xmlvyn.h"
#include "support/FileFaults.h"
#include "support/HttpTestServer.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace fs = std::filesystem;

namespace {
const AnsiString kOpenFailed = "Ocorreu um erro ao abrir arquivo de erros.";
const AnsiString kWriteFailed = "Ocorreu um erro ao gravar arquivo de erros.";
const std::string kExampleLine = "05/11/2004 14:03:09abc             00110         0678\r\n";

// A machine with the settings, the phone list and the log in place, and the dialer service
// answering on a local port.
struct FailedDials : LoggedMachine {
    HttpTestServer server;
    std::unique_ptr<TConf> conf = settings();
    TXMLvyn phones{services()};
    TErros erros{TServices{.log = &log, .phones = &phones, .conf = conf.get()}};

    FailedDials() {
        conf->SetUser("abc");
        areaCode(11);
    }
    // The settings over the machine's dial-up service with one modem, the dialer service here.
    std::unique_ptr<TConf> settings() {
        machine.installDialUpService();
        machine.writeMachineFile("devices.txt", "modem\tModem A\n");
        machine.writeMachineFile("hosts.txt", server.hostsLine(kDialerServiceHost));
        return std::make_unique<TConf>(services());
    }
    void areaCode(int ddd) {
        machine.writeProgramFile("tels", "<ESTADOS><ESTADO sigla=\"SP\"><CIDADE nome=\"Cidade\" ddd=\"" +
                                             std::to_string(ddd) + "\"/></ESTADO></ESTADOS>");
        phones.Load("tels");
        phones.SelectCity("SP", "Cidade");
    }
    std::string file(const std::string& name = "erros.txt") const { return machine.readProgramFile(name); }
    bool exists(const std::string& name) const { return fs::exists(machine.path(name)); }
    std::vector<std::string> bodies() const {
        std::vector<std::string> out;
        for (const std::string& r : server.requests()) out.push_back(r.substr(r.find("\r\n\r\n") + 4));
        return out;
    }
    // Five failed dials, a minute apart, numbers "1" to "5".
    void fiveRecords() {
        for (int i = 1; i <= 5; ++i) {
            erros.Add(std::to_string(i), 600 + i);
            machine.clock.Advance(60000);
        }
    }
};

std::string repeat(const std::string& s, int n) {
    std::string out;
    while (n-- > 0) out += s;
    return out;
}
}  // namespace

TEST(FailedDialLog, LinesKeepEveryColumnInPlace) {
    struct {
        const char* what;
        AnsiString login;
        int ddd;
        AnsiString phone;
        int code;
        std::string line;
    } cases[] = {
        {"the example", "abc", 11, "0", 678, kExampleLine},
        {"negative area code", "abc", -1, "0", 678, "05/11/2004 14:03:09abc             -0010         0678\r\n"},
        {"full columns", "abcdefghijklmnop", 9999, "0123456789", 9999,
         "05/11/2004 14:03:09abcdefghijklmnop999901234567899999\r\n"},
        {"over-wide values are cut", "abcdefghijklmnopq", 12345, "01133334444", 12345,
         "05/11/2004 14:03:09abcdefghijklmnop999901133334449999\r\n"},
        {"very negative numbers", "abc", -5000, "0", -1, "05/11/2004 14:03:09abc             -9990         -001\r\n"},
        {"line breaks in the login", "ab\r\ncd", 11, "0", 678,
         "05/11/2004 14:03:09ab  cd          00110         0678\r\n"},
        {"empty login", "", 21, "30041234", 691, "05/11/2004 14:03:09                002130041234  0691\r\n"},
        {"a 1252 login", "joão"_a, 11, "0", 678, "05/11/2004 14:03:09jo\xE3o            00110         0678\r\n"},
    };
    for (auto& c : cases) {
        FailedDials d;
        d.conf->SetUser(c.login);
        d.areaCode(c.ddd);
        d.erros.Add(c.phone, c.code);
        EXPECT_EQ(d.file(), c.line) << c.what;
        EXPECT_EQ(d.file().size(), 55u) << c.what;
        EXPECT_TRUE(d.lines().empty()) << c.what;
        // What is read back is what fitted, so an upload never fails on its own lines.
        ASSERT_TRUE(d.erros.LoadFile()) << c.what;
        ASSERT_EQ(d.erros.records.size(), 1u);
        EXPECT_EQ(d.erros.records[0].ddd, std::clamp(c.ddd, -999, 9999)) << c.what;
        EXPECT_EQ(d.erros.records[0].coderr, std::clamp(c.code, -999, 9999)) << c.what;
    }
}

TEST(FailedDialLog, LinesAreAppendedWithTheTimeOfEachFailure) {
    FailedDials d;
    d.erros.Add("0", 678);
    d.machine.clock.Advance(61000);
    d.erros.Add("0", 680);
    EXPECT_EQ(d.file(), kExampleLine + "05/11/2004 14:04:10abc             00110         0680\r\n");
}

TEST(FailedDialLog, AFileThatCannotBeOpenedOrWrittenIsOneStatusLine) {
    {
        FailedDials d;
        fs::create_directory(d.machine.path("erros.txt"));
        d.erros.Add("0", 678);
        EXPECT_EQ(d.lines(), std::vector<AnsiString>{kOpenFailed});
    }
    {
        // A full disk: the write is taken into the buffer and fails when flushed.
        FailedDials d;
        fs::create_symlink("/dev/full", d.machine.path("erros.txt"));
        d.erros.Add("0", 678);
        EXPECT_EQ(d.lines(), std::vector<AnsiString>{kWriteFailed});
    }
}

TEST(FailedDialLog, ALineADiskCannotTakeWholeIsNotWrittenAtAll) {
    for (off_t room : {0, 1, 20, 54}) {  // a line takes 55 bytes
        SCOPED_TRACE(room);
        FailedDials d;
        d.erros.Add("1", 678);
        d.erros.Add("2", 680);
        const std::string before = d.file();
        {
            FileSizeLimit full(static_cast<off_t>(before.size()) + room);
            d.erros.Add("3", 691);
        }
        EXPECT_EQ(d.lines(), std::vector<AnsiString>{kWriteFailed});
        EXPECT_EQ(d.file(), before);
        // Once there is room again the next line starts where a line starts.
        d.erros.Add("4", 692);
        ASSERT_TRUE(d.erros.LoadFile());
        ASSERT_EQ(d.erros.records.size(), 3u);
        EXPECT_STREQ(d.erros.records[2].telefone, "4         ");
        EXPECT_EQ(d.erros.records[2].coderr, 692);
    }
}

TEST(FailedDialLog, LoadingReadsTheFixedColumns) {
    struct {
        const char* what;
        std::string content;
        std::vector<std::vector<std::string>> records;  // datahora, login, ddd, telefone, coderr
    } cases[] = {
        {"CR LF",
         kExampleLine + kExampleLine,
         {{"05/11/2004 14:03:09", "abc             ", "11", "0         ", "678"},
          {"05/11/2004 14:03:09", "abc             ", "11", "0         ", "678"}}},
        {"LF only",
         "05/11/2004 14:03:09abc             -0010         0678\n",
         {{"05/11/2004 14:03:09", "abc             ", "-1", "0         ", "678"}}},
        {"no line end at the end",
         "05/11/2004 14:03:09abc             00110         0678",
         {{"05/11/2004 14:03:09", "abc             ", "11", "0         ", "678"}}},
        {"empty", "", {}},
    };
    for (auto& c : cases) {
        FailedDials d;
        d.machine.writeProgramFile("erros.txt", c.content);
        ASSERT_TRUE(d.erros.LoadFile()) << c.what;
        std::vector<std::vector<std::string>> got;
        for (const erro& r : d.erros.records)
            got.push_back({r.datahora, r.login, std::to_string(r.ddd), r.telefone, std::to_string(r.coderr)});
        EXPECT_EQ(got, c.records) << c.what;
        EXPECT_TRUE(d.machine.boxes().empty()) << c.what;
    }
}

TEST(FailedDialLog, AnUnreadableLineShowsTheConversionMessage) {
    struct {
        const char* what;
        std::string content;
        std::size_t kept;
        AnsiString message;
    } cases[] = {
        {"empty line", kExampleLine + "\r\n" + kExampleLine, 1, "'' is not a valid integer value"},
        {"too short for the area code", "05/11/2004 14:03:09abc\r\n", 0, "'' is not a valid integer value"},
        // An old line with a 17-byte login: its area code column starts with a letter.
        {"shifted columns", kExampleLine + "05/11/2004 14:03:09abcdefghijklmnopq00110         0678\r\n", 1,
         "'q001' is not a valid integer value"},
        {"letters in the code", "05/11/2004 14:03:09abc             00110         06x8\r\n", 0,
         "'06x8' is not a valid integer value"},
        // A code column cut short by the line end: the line end is no blank to skip.
        {"three digits in the code", kExampleLine + "05/11/2004 14:03:09abc             00110         067\r\n", 1,
         "'067' is not a valid integer value"},
        {"three digits in the code, LF only", "05/11/2004 14:03:09abc             00110         067\n", 0,
         "'067' is not a valid integer value"},
        {"three digits in the area code", "05/11/2004 14:03:09abc             011\r\n", 0,
         "'011' is not a valid integer value"},
    };
    for (auto& c : cases) {
        FailedDials d;
        d.erros.records.resize(7);  // left from an earlier load: replaced
        d.machine.writeProgramFile("erros.txt", c.content);
        EXPECT_FALSE(d.erros.LoadFile()) << c.what;
        EXPECT_EQ(d.erros.records.size(), c.kept) << c.what;
        auto boxes = d.machine.boxes();
        ASSERT_EQ(boxes.size(), 1u) << c.what;
        EXPECT_EQ(boxes[0].text, c.message) << c.what;
        EXPECT_EQ(boxes[0].flags & MB_TYPEMASK, unsigned(MB_OK));
        // Nothing is sent and the file stays for the next connection, which fails again.
        d.erros.Send();
        EXPECT_TRUE(d.server.requests().empty()) << c.what;
        EXPECT_EQ(d.file(), c.content) << c.what;
        EXPECT_EQ(d.machine.boxes().size(), 2u) << c.what;
    }
}

TEST(FailedDialLog, ALongLineIsReadInPieces) {
    FailedDials d;
    // 1023 bytes come in the first read, the rest of the line in the second.
    std::string longLine = kExampleLine.substr(0, 53) + std::string(1023 - 53, ' ') + kExampleLine;
    d.machine.writeProgramFile("erros.txt", longLine);
    ASSERT_TRUE(d.erros.LoadFile());
    ASSERT_EQ(d.erros.records.size(), 2u);
    EXPECT_EQ(d.erros.records[1].coderr, 678);
}

TEST(FailedDialLog, AMissingFileIsNeitherLoadedNorSentNorRotated) {
    FailedDials d;
    d.erros.records.resize(3);
    EXPECT_FALSE(d.erros.LoadFile());
    EXPECT_EQ(d.erros.records.size(), 3u);
    d.machine.writeProgramFile("erros01.txt", "older");
    d.erros.Send();
    EXPECT_TRUE(d.server.requests().empty());
    EXPECT_TRUE(d.lines().empty());
    EXPECT_TRUE(d.machine.boxes().empty());
    EXPECT_EQ(d.file("erros01.txt"), "older");
    EXPECT_FALSE(d.exists("erros02.txt"));
}

TEST(FailedDialUpload, EachRecordIsOnePostOfItsFiveFields) {
    FailedDials d;
    d.erros.Add("0", 678);
    d.conf->SetUser("joão"_a);
    d.areaCode(-1);
    d.erros.Add("3004 12", 691);
    d.server.script(HttpScript::Reply(200, "OK"));
    d.server.script(HttpScript::Reply(200, "OK"));
    d.erros.Send();
    auto requests = d.server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n\r\n") + 4),
              "POST /private/corvala/log.php HTTP/1.1\r\n"
              "Host: discador.vyn.example\r\n"
              "Accept: text/html, */*\r\n"
              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "Content-Length: 155\r\n"
              "\r\n");
    EXPECT_EQ(d.bodies(), (std::vector<std::string>{
                              "dis_datahora=05/11/2004%2014:03:09&dis_login=abc" + repeat("%20", 13) +
                                  "&dis_ddd=11&dis_telefone=0" + repeat("%20", 9) + "&dis_coderr=678",
                              "dis_datahora=05/11/2004%2014:03:09&dis_login=jo%E3o" + repeat("%20", 12) +
                                  "&dis_ddd=-1&dis_telefone=3004%2012" + repeat("%20", 3) + "&dis_coderr=691",
                          }));
    EXPECT_EQ(d.bodies()[0].size(), 155u);
    EXPECT_TRUE(d.lines().empty());
    EXPECT_FALSE(d.exists("erros.txt"));
    EXPECT_EQ(d.file("erros01.txt").size(), 2 * 55u);
}

TEST(FailedDialUpload, AnythingButTwoHundredStopsTheUploadAndKeepsTheFiles) {
    struct {
        const char* what;
        std::vector<HttpScript> replies;
        std::size_t requests;
        std::vector<AnsiString> lines;
    } cases[] = {
        {"204 third",
         {HttpScript::Reply(200, "OK"), HttpScript::Reply(200, "OK"), HttpScript::Reply(204, "No Content")},
         3,
         {}},
        {"500 third",
         {HttpScript::Reply(200, "OK"), HttpScript::Reply(200, "OK"),
          HttpScript::Reply(500, "Internal Server Error")},
         3,
         {"500 Internal Server Error"}},
        {"redirect first",
         {HttpScript::Redirect(302, "Found", "http://outro.vyn.example/log.php")},
         1,
         {"302 Found"}},
        {"201 first", {HttpScript::Reply(201, "Created")}, 1, {}},
    };
    for (auto& c : cases) {
        FailedDials d;
        d.fiveRecords();
        d.machine.writeProgramFile("erros01.txt", "older");
        std::string before = d.file();
        for (auto& r : c.replies) d.server.script(r);
        d.erros.Send();
        EXPECT_EQ(d.server.requests().size(), c.requests) << c.what;
        EXPECT_EQ(d.lines(), c.lines) << c.what;
        EXPECT_EQ(d.file(), before) << c.what;
        EXPECT_EQ(d.file("erros01.txt"), "older") << c.what;
        EXPECT_FALSE(d.exists("erros02.txt")) << c.what;

        // The next connection sends the whole file again, the accepted records a second time.
        for (int i = 0; i < 5; ++i) d.server.script(HttpScript::Reply(200, "OK"));
        d.erros.Send();
        auto bodies = d.bodies();
        ASSERT_EQ(bodies.size(), c.requests + 5) << c.what;
        EXPECT_EQ(bodies[c.requests], bodies[0]) << c.what;
        EXPECT_EQ(d.file("erros01.txt"), before) << c.what;
        EXPECT_EQ(d.file("erros02.txt"), "older") << c.what;
    }
}

TEST(FailedDialUpload, NoServiceIsOneStatusLineAndNoRotation) {
    FailedDials d;
    d.machine.writeMachineFile("hosts.txt", "discador.vyn.example 127.0.0.1:1\n");
    d.erros.Add("0", 678);
    d.erros.Send();
    ASSERT_EQ(d.lines().size(), 1u);
    EXPECT_FALSE(d.lines()[0].empty());
    EXPECT_EQ(d.file(), kExampleLine);
}

TEST(FailedDialUpload, AnEmptyFileSendsNothingAndStillRotates) {
    FailedDials d;
    d.machine.writeProgramFile("erros.txt", "");
    d.erros.Send();
    EXPECT_TRUE(d.server.requests().empty());
    EXPECT_FALSE(d.exists("erros.txt"));
    EXPECT_TRUE(d.exists("erros01.txt"));
    EXPECT_EQ(d.file("erros01.txt"), "");
}

TEST(FailedDialUpload, RotationShiftsTheChain) {
    struct {
        const char* what;
        std::vector<std::string> present;                        // besides erros.txt, each holding its own name
        std::vector<std::pair<std::string, std::string>> after;  // file, content; "" = absent
    } cases[] = {
        {"full chain",
         {"erros01.txt", "erros02.txt", "erros03.txt", "erros04.txt"},
         {{"erros.txt", ""},
          {"erros01.txt", "current"},
          {"erros02.txt", "erros01.txt"},
          {"erros03.txt", "erros02.txt"},
          {"erros04.txt", "erros03.txt"}}},
        {"sparse chain",
         {"erros02.txt"},
         {{"erros.txt", ""},
          {"erros01.txt", "current"},
          {"erros02.txt", ""},
          {"erros03.txt", "erros02.txt"},
          {"erros04.txt", ""}}},
        {"first upload", {}, {{"erros.txt", ""}, {"erros01.txt", "current"}, {"erros02.txt", ""}}},
    };
    for (auto& c : cases) {
        FailedDials d;
        d.machine.writeProgramFile("erros.txt", "current");
        for (auto& f : c.present) d.machine.writeProgramFile(f, f);
        TErros::RotateFiles();
        for (auto& [name, content] : c.after) {
            EXPECT_EQ(d.exists(name), !content.empty()) << c.what << ": " << name;
            if (!content.empty()) {
                EXPECT_EQ(d.file(name), content) << c.what << ": " << name;
            }
        }
    }
}

TEST(FailedDialUpload, AFullyAcceptedUploadRotates) {
    FailedDials d;
    d.fiveRecords();
    std::string sent = d.file();
    d.machine.writeProgramFile("erros01.txt", "erros01");
    d.machine.writeProgramFile("erros04.txt", "erros04");
    for (int i = 0; i < 5; ++i) d.server.script(HttpScript::Reply(200, "OK"));
    d.erros.Send();
    EXPECT_EQ(d.server.requests().size(), 5u);
    EXPECT_FALSE(d.exists("erros.txt"));
    EXPECT_EQ(d.file("erros01.txt"), sent);
    EXPECT_EQ(d.file("erros02.txt"), "erros01");
    EXPECT_FALSE(d.exists("erros03.txt"));
    EXPECT_FALSE(d.exists("erros04.txt"));  // the oldest is dropped
    EXPECT_TRUE(d.lines().empty());
}

TEST(FailedDialUpload, AGenerationThatCannotBeDroppedIsNeverOverwritten) {
    FailedDials d;
    d.erros.Add("0", 678);
    for (int n = 1; n <= 3; ++n) d.machine.writeProgramFile("erros0" + std::to_string(n) + ".txt", std::to_string(n));
    fs::create_directory(d.machine.path("erros04.txt"));  // not a file: stays where it is
    d.server.script(HttpScript::Reply(200, "OK"));
    d.erros.Send();
    EXPECT_EQ(d.file(), kExampleLine);
    EXPECT_EQ(d.file("erros01.txt"), "1");
    EXPECT_EQ(d.file("erros02.txt"), "2");
    EXPECT_EQ(d.file("erros03.txt"), "3");
}

TEST(FailedDialUpload, ARecordAddedDuringTheUploadIsKeptForTheNextOne) {
    FailedDials d;
    d.erros.Add("1", 678);
    d.erros.Add("2", 678);
    std::string sent = d.file();
    HttpScript first = HttpScript::Reply(200, "OK");
    first.before = [&] { d.erros.Add("3", 691); };  // a failure reported while the upload runs
    d.server.script(first);
    d.server.script(HttpScript::Reply(200, "OK"));
    d.erros.Send();
    EXPECT_EQ(d.server.requests().size(), 2u);
    EXPECT_EQ(d.file("erros01.txt"), sent);
    EXPECT_EQ(d.file(), "05/11/2004 14:03:09abc             00113         0691\r\n");

    d.server.script(HttpScript::Reply(200, "OK"));
    d.erros.Send();
    ASSERT_EQ(d.bodies().size(), 3u);
    EXPECT_NE(d.bodies()[2].find("dis_telefone=3%20"), std::string::npos);
    EXPECT_EQ(d.file("erros02.txt"), sent);
}
