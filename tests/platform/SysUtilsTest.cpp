#include "platform/SysUtils.h"
#include "support/TempMachine.h"

#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>

TEST(SysUtils, PathPieces) {
    struct {
        const char* path;
        const char* dir;
        const char* filePath;
        const char* name;
        const char* ini;
    } cases[] = {
        {"C:\\Vyn\\Mirvane.exe", "C:\\Vyn", "C:\\Vyn\\", "Mirvane.exe", "C:\\Vyn\\Mirvane.ini"},
        {"/opt/vyn/dist/Mirvane.exe", "/opt/vyn/dist", "/opt/vyn/dist/", "Mirvane.exe", "/opt/vyn/dist/Mirvane.ini"},
        {"/opt/v.1/Mirvane", "/opt/v.1", "/opt/v.1/", "Mirvane", "/opt/v.1/Mirvane.ini"},
        {"Mirvane.exe", "", "", "Mirvane.exe", "Mirvane.ini"},
    };
    for (auto& c : cases) {
        EXPECT_EQ(ExtractFileDir(c.path), c.dir) << c.path;
        EXPECT_EQ(ExtractFilePath(c.path), c.filePath) << c.path;
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(ChangeFileExt(c.path, ".ini"), c.ini) << c.path;
    }
    EXPECT_EQ(NativePath("/a/b\\log.txt"), "/a/b/log.txt");
    EXPECT_EQ(NativePath("/a/Jo\xE3o"), "/a/João");
}

TEST(SysUtils, IntegersReadAsTheProfileFunctionsDo) {
    struct {
        const char* text;
        long long expected;
    } cases[] = {
        {"21", 21},
        {" 21 ", 21},
        {"-1", -1},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$FF", 255},
        {"abc", -7},
        {"", -7},
        {"12a", -7},
        {"0x", -7},
        {"2147483647", 2147483647},
        {"2147483648", -7},
        {"-2147483648", -2147483648LL},
    };
    for (auto& c : cases) EXPECT_EQ(StrToIntDef(c.text, -7), c.expected) << '"' << c.text << '"';
}

TEST(SysUtils, TextComparedWithoutCaseOfAsciiLetters) {
    struct {
        const char* a;
        const char* b;
        bool same;
        bool starts;
    } cases[] = {
        {"Location:", "location: /x", false, true},
        {"HTTP/", "http/1.1 200 OK", false, true},
        {"+OK", "+ok", true, true},
        {"-ERR", "-ER", false, false},
        {"open", "OPEN", true, true},
        {"\\StringFileInfo\\041604E4", "\\stringfileinfo\\041604e4", true, true},
        {"\xC9", "\xE9", false, false},  // accented letters keep their case
        {"[", "{", false, false},        // 0x5B and 0x7B are not letters
        {"", "qualquer", false, true},
    };
    for (auto& c : cases) {
        EXPECT_EQ(SameText(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(SameText(c.b, c.a), c.same) << c.b << " / " << c.a;
        EXPECT_EQ(StartsText(c.a, c.b), c.starts) << c.a << " / " << c.b;
    }
}

TEST(SysUtils, DateTimeFormatting) {
    TDateTime t = EncodeDateTime(2004, 11, 5, 14, 3, 9);
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn:ss", t), "05/11/2004 14:03:09");
    EXPECT_EQ(FormatDateTime("d/m/yy h:n:s", t), "5/11/04 14:3:9");
    EXPECT_NEAR(t, 38296.0 + (14 * 3600 + 3 * 60 + 9) / 86400.0, 1e-9);
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(EncodeDateTime(1999, 12, 31, 23, 59, 59, 999), y, mo, d, h, mi, s, ms);
    EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s, ms}), (std::vector<int>{1999, 12, 31, 23, 59, 59, 999}));
}

TEST(SysUtils, RenameNeverReplacesButReplaceFileDoes) {
    TempMachine m;
    m.writeProgramFile("a", "new");
    m.writeProgramFile("b", "old");
    EXPECT_FALSE(RenameFile(m.programFile("a"), m.programFile("b")));
    EXPECT_EQ(m.readProgramFile("b"), "old");
    EXPECT_TRUE(ReplaceFile(m.programFile("a"), m.programFile("b")));
    EXPECT_EQ(m.readProgramFile("b"), "new");
    EXPECT_FALSE(FileExists(m.programFile("a")));
}

TEST(SysUtils, WholeFileWriteRefusedWhereADirectoryStands) {
    TempMachine m;
    std::filesystem::create_directory(m.path("log.txt"));
    EXPECT_THROW(WriteWholeFile(m.programFile("log.txt"), "x"), EFCreateError);
    EXPECT_FALSE(FileExists(m.programFile("log.txt")));
    WriteWholeFile(m.programFile("ok.txt"), "x\r\n");
    EXPECT_EQ(m.readProgramFile("ok.txt"), "x\r\n");
}

TEST(SysUtils, FileAgeFollowsModificationTime) {
    TempMachine m;
    EXPECT_EQ(FileAge(m.programFile("tels")), -1);
    m.writeProgramFile("tels", "x");
    TDateTime age = FileDateToDateTime(FileAge(m.programFile("tels")));
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    TDateTime expected = EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                                        tm.tm_sec);
    EXPECT_NEAR(age, expected, 5.0 / 86400);
}

#include "platform/HostMap.h"

TEST(HostMap, ListedHostsLeadToTheirTargetOthersToThemselves) {
    TempMachine m;
    m.writeMachineFile("hosts.txt",
                       "# provider\nDiscador.Vyn.Example 127.0.0.1:8080\npop.vyn.example 127.0.0.1\n"
                       "big.example 127.0.0.2:65536\nbig.example 127.0.0.3:99999\nbig.example 127.0.0.4:-5\n"
                       "zero.example 127.0.0.5:0\nzero.example 127.0.0.6:65535\n");
    struct {
        const char* host;
        int port;
        const char* addr;
        int expectedPort;
    } cases[] = {
        {"discador.vyn.example", 80, "127.0.0.1", 8080},
        {"POP.vyn.example", 110, "127.0.0.1", 110},
        {"www.other.example", 80, "www.other.example", 80},
        {"big.example", 80, "big.example", 80},  // no port a socket takes
        {"zero.example", 80, "127.0.0.6", 65535},
    };
    for (auto& c : cases) {
        HostTarget t = ResolveHost(c.host, c.port);
        EXPECT_EQ(t.address, c.addr) << c.host;
        EXPECT_EQ(t.port, c.expectedPort) << c.host;
    }
}
