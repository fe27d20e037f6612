#include "platform/ShellApi.h"
#include "support/TempMachine.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
void writeFile(const std::string& path, const std::string& content, bool runnable) {
    std::ofstream(path, std::ios::binary) << content;
    fs::permissions(path, runnable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

// Runs the test from another folder and comes back.
class InFolder {
public:
    explicit InFolder(const std::string& dir) : back_(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~InFolder() {
        EXPECT_EQ(fchdir(back_), 0);
        close(back_);
    }

private:
    int back_;
};
}  // namespace

TEST(FindExecutable, ProgramsAreTheirOwnAnswerAndEverythingElseHasACode) {
    TempMachine m;
    std::string dir = m.programDir();
    writeFile(m.path("Brenwick.exe"), "#!/bin/sh\n", true);
    writeFile(m.path("Elf.exe"),
              std::string("\x7f"
                          "ELF\x02\x01",
                          6),
              true);
    writeFile(m.path("Broken.exe"), "MZ\x90", true);
    writeFile(m.path("ajuda.html"), "<html></html>", false);
    writeFile(m.path("Short.exe"), "#", true);
    fs::create_directories(m.path("Pasta.exe"));
    AnsiString folder = Utf8ToAnsi(dir);
    struct {
        const char* file;
        AnsiString directory;
        intptr_t result;
        AnsiString found;
    } cases[] = {
        {"Brenwick.exe", folder, 42, folder + "/Brenwick.exe"},
        {"Elf.exe", folder + "\\", 42, folder + "/Elf.exe"},
        {"..\\Vyn\\Brenwick.exe", folder, 42, folder + "/Brenwick.exe"},
        {"Broken.exe", folder, ERROR_BAD_FORMAT, ""},
        {"Short.exe", folder, ERROR_BAD_FORMAT, ""},
        {"ajuda.html", folder, SE_ERR_NOASSOC, ""},
        {"Pasta.exe", folder, SE_ERR_NOASSOC, ""},
        {"Missing.exe", folder, SE_ERR_FNF, ""},
        {"Brenwick.exe\\x", folder, SE_ERR_PNF, ""},
        {"Brenwick.exe", folder + "\\Nowhere", SE_ERR_PNF, ""},
        {"", folder, SE_ERR_FNF, ""},
    };
    for (auto& c : cases) {
        char buffer[MAX_PATH];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(FindExecutableA(c.file, c.directory.c_str(), buffer), c.result) << c.file;
        EXPECT_EQ(AnsiString(buffer), c.found) << c.file;
    }
    auto calls = RecordedShellCalls();
    ASSERT_EQ(calls.size(), std::size(cases));
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].operation, "FindExecutable");
        EXPECT_EQ(calls[i].file, cases[i].file);
        EXPECT_EQ(calls[i].directory, cases[i].directory);
        EXPECT_EQ(calls[i].parameters, cases[i].found);
        EXPECT_EQ(calls[i].showCmd, 0);
        EXPECT_EQ(calls[i].result, cases[i].result);
    }
}

TEST(FindExecutable, WithoutAFolderTheCurrentOneIsSearched) {
    TempMachine m;
    writeFile(m.path("Brenwick.exe"), "#!/bin/sh\n", true);
    char buffer[MAX_PATH];
    {
        InFolder here(m.programDir());
        EXPECT_EQ(FindExecutableA("Brenwick.exe", nullptr, buffer), 42);
        EXPECT_EQ(AnsiString(buffer), Utf8ToAnsi(m.path("Brenwick.exe")));
        EXPECT_EQ(FindExecutableA("Brenwick.exe", "", buffer), 42);
    }
    {
        InFolder here(m.dir());
        EXPECT_EQ(FindExecutableA("Brenwick.exe", nullptr, buffer), SE_ERR_FNF);
        EXPECT_EQ(FindExecutableA(nullptr, nullptr, buffer), SE_ERR_FNF);
    }
    {
        // A current folder that has gone holds no path to anything.
        std::string gone = m.dir() + "/gone";
        fs::create_directories(gone);
        InFolder here(gone);
        fs::remove(gone);
        EXPECT_EQ(FindExecutableA("Brenwick.exe", nullptr, buffer), SE_ERR_PNF);
    }
}

TEST(FindExecutable, APathTheBufferCannotHoldIsNotGiven) {
    TempMachine m;
    std::string deep = m.programDir();
    while (deep.size() < 300) deep += "/pasta-bem-comprida";
    fs::create_directories(deep);
    writeFile(deep + "/Brenwick.exe", "#!/bin/sh\n", true);
    char buffer[MAX_PATH + 16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FindExecutableA("Brenwick.exe", Utf8ToAnsi(deep).c_str(), buffer), SE_ERR_PNF);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');
}

TEST(FindExecutable, TheMachineCanForceAFailure) {
    TempMachine m;
    writeFile(m.path("Brenwick.exe"), "#!/bin/sh\n", true);
    m.writeMachineFile("shell-errors.txt", "# codes for the next calls\nShellExecute 5\nFindExecutable 0\n");
    char buffer[MAX_PATH] = "x";
    EXPECT_EQ(FindExecutableA("Brenwick.exe", Utf8ToAnsi(m.programDir()).c_str(), buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
    m.writeMachineFile("shell-errors.txt", "FindExecutable 32\n");
    EXPECT_EQ(FindExecutableA("Brenwick.exe", Utf8ToAnsi(m.programDir()).c_str(), buffer), 32);
    auto calls = RecordedShellCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].result, 0);
    EXPECT_EQ(calls[1].result, 32);
}
