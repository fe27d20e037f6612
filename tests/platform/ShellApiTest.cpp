#include "platform/ShellApi.h"
#include "support/TestFiles.h"
#include "support/TempMachine.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;

namespace {
void writeExecutable(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
    fs::permissions(path, fs::perms::owner_all);
}

// A started program runs on its own; give it a bounded while to leave its trace.
bool waitForFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        if (fs::exists(path) && fs::file_size(path) > 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}
}  // namespace

TEST(ShellApi, EveryCallIsRecordedByteForByte) {
    TempMachine m;
    EXPECT_GT(
        ShellExecuteA(nullptr, "open", "http://discador.vyn.example/private/corvala/instalardiscadorcorvala.exe", "",
                      "", SW_SHOWNORMAL),
        32);
    m.writeProgramFile("FAQ_ajuda.html", "<html></html>");
    AnsiString doc = m.programFile("FAQ_ajuda.html");
    EXPECT_GT(ShellExecuteA(nullptr, "open", doc, "a\tb 100%\r\n", "Jo\xE3o", SW_SHOWMAXIMIZED), 32);
    std::string expected =
        "open\thttp://discador.vyn.example/private/corvala/instalardiscadorcorvala.exe\t\t\t1\t42\n"
        "open\t" +
        doc + "\ta%09b 100%25%0D%0A\tJo\xE3o\t3\t42\n";
    EXPECT_EQ(ReadFileBytes(m.dir() + "/shell.log"), expected);
    auto calls = RecordedShellCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].file, doc);
    EXPECT_EQ(calls[1].parameters, "a\tb 100%\r\n");
    EXPECT_EQ(calls[1].directory, "Jo\xE3o");
    EXPECT_EQ(calls[1].showCmd, SW_SHOWMAXIMIZED);
    EXPECT_EQ(calls[1].result, 42);
}

TEST(ShellApi, FailuresGiveThePlatformsCodes) {
    TempMachine m;
    writeExecutable(m.path("notaprogram.exe"), "neither a script nor a program\n");
    struct {
        const char* op;
        AnsiString file;
        intptr_t result;
    } cases[] = {
        {"open", m.programFile("missing.html"), SE_ERR_FNF},
        {"open", m.programFile("nofolder\\missing.html"), SE_ERR_PNF},
        {"open", "", SE_ERR_FNF},
        {"print", "http://vyn.example/", SE_ERR_NOASSOC},
        {"open", m.programFile("notaprogram.exe"), ERROR_BAD_FORMAT},
        {"", "mailto:suporte@vyn.example", 42},
        {"OPEN", "https://vyn.example/", 42},
    };
    for (auto& c : cases) EXPECT_EQ(ShellExecuteA(nullptr, c.op, c.file, "", "", SW_SHOWNORMAL), c.result) << c.file;
    auto calls = RecordedShellCalls();
    ASSERT_EQ(calls.size(), std::size(cases));
    for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].result, cases[i].result) << calls[i].file;
}

TEST(ShellApi, ProgramsAreStartedWithTheirParameters) {
    TempMachine m;
    // The list appears whole: a reader never sees it half written.
    writeExecutable(
        m.path("Brenwick.exe"),
        "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > args.tmp && mv args.tmp \"$(pwd)/args.txt\"\n");
    intptr_t r = ShellExecuteA(nullptr, "open", "Brenwick.exe", "-dial  \"two words\"", Utf8ToAnsi(m.programDir()),
                               SW_SHOWNORMAL);
    EXPECT_GT(r, 32);
    ASSERT_TRUE(waitForFile(m.path("args.txt")));
    EXPECT_EQ(m.readProgramFile("args.txt"), "[-dial]\n[two words]\n");
}

TEST(ShellApi, ANonTestMachineWithoutAnOpenerSaysSo) {
    TempMachine m;
    fs::remove(m.dir() + "/no-desktop");
    std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", m.dir().c_str(), 1);  // no xdg-open there
    intptr_t r = ShellExecuteA(nullptr, "open", "http://vyn.example/", "", "", SW_SHOWNORMAL);
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_EQ(r, SE_ERR_NOASSOC);
    ASSERT_EQ(RecordedShellCalls().size(), 1u);
}

TEST(ShellApi, TheDesktopOpenerGetsAddressesAndDocuments) {
    TempMachine m;
    fs::remove(m.dir() + "/no-desktop");
    // A stand-in opener that only notes what it was given.
    fs::create_directories(m.dir() + "/bin");
    writeExecutable(m.dir() + "/bin/xdg-open", "#!/bin/sh\necho \"$1\" >> \"" + m.dir() + "/opened.txt\"\n");
    std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (m.dir() + "/bin").c_str(), 1);
    intptr_t r = ShellExecuteA(nullptr, "open", "http://vyn.example/suporte", "", "", SW_SHOWNORMAL);
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_GT(r, 32);
    ASSERT_TRUE(waitForFile(m.dir() + "/opened.txt"));
    EXPECT_EQ(ReadFileBytes(m.dir() + "/opened.txt"), "http://vyn.example/suporte\n");

    // Said to have no desktop, the shell starts no opener at all: with none on the PATH a
    // start would fail (31), so success shows that none was tried.
    setenv("VYN_NO_DESKTOP", "1", 1);
    setenv("PATH", m.dir().c_str(), 1);
    r = ShellExecuteA(nullptr, "open", "http://vyn.example/outra", "", "", SW_SHOWNORMAL);
    setenv("PATH", savedPath.c_str(), 1);
    unsetenv("VYN_NO_DESKTOP");
    EXPECT_GT(r, 32);
    EXPECT_EQ(ReadFileBytes(m.dir() + "/opened.txt"), "http://vyn.example/suporte\n");
}
