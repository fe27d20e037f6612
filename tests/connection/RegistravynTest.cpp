#include "connection/Registravyn.h"

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const AnsiString kKey = "Software\\Vyn\\Ruvozava";

// The stored value, or type REG_NONE with name "(missing)" when there is none.
RegValue Recorded() {
    RegValue v;
    if (!GetMachineRegistryValue(RegRoot::CurrentUser, kKey, "discadorbinary", v)) v = {"(missing)", REG_NONE, {}};
    return v;
}

RegValue Sz(const AnsiString& text) { return {"discadorbinary", REG_SZ, text + std::string(1, '\0')}; }
}  // namespace

TEST(Registravyn, OnlyAMissingEmptyOrNonStringValueIsWritten) {
    const std::string kPrefix = "[HKCU\\Software\\Vyn\\Ruvozava]\n\"discadorbinary\" = ";
    struct {
        const char* name;
        std::string seed;
        const char* fileName;  // passed to RegisterDialerPath; null for the default
        bool written;          // the program's path; otherwise `kept`
        RegValue kept;
    } cases[] = {
        {"empty store: key and value created", "", nullptr, true, {}},
        {"the key without the value", "[HKCU\\Software\\Vyn\\Ruvozava]\n", nullptr, true, {}},
        {"another folder stays", kPrefix + "REG_SZ \"D:\\\\Old\\\\Mirvane.exe\"", nullptr, false,
         Sz("D:\\Old\\Mirvane.exe")},
        {"the other edition's record stays", kPrefix + "REG_SZ \"C:\\\\Vyn\\\\MirvaneRoaming.exe\"", nullptr, false,
         Sz("C:\\Vyn\\MirvaneRoaming.exe")},
        {"an empty text with its zero stays", kPrefix + "REG_SZ \"\"", nullptr, false, Sz("")},
        {"a string of no data is replaced", kPrefix + "REG_SZ hex:", nullptr, true, {}},
        {"REG_EXPAND_SZ is replaced", kPrefix + "REG_EXPAND_SZ \"%ProgramFiles%\\\\Mirvane.exe\"", nullptr, true, {}},
        {"REG_DWORD is replaced", kPrefix + "REG_DWORD 1", nullptr, true, {}},
        {"REG_BINARY is replaced", kPrefix + "REG_BINARY 43 3A 00", nullptr, true, {}},
        {"REG_MULTI_SZ is replaced", kPrefix + "REG_MULTI_SZ \"C:\\\\A.exe\"", nullptr, true, {}},
        {"REG_NONE is replaced", kPrefix + "REG_NONE 00", nullptr, true, {}},
        {"the conventional edition writes its own name", "", "MirvaneRoaming.exe", true, {}},
        {"the conventional edition keeps Mirvane's record", kPrefix + "REG_SZ \"C:\\\\Vyn\\\\Mirvane.exe\"",
         "MirvaneRoaming.exe", false, Sz("C:\\Vyn\\Mirvane.exe")},
    };
    for (const auto& c : cases) {
        // Started under another name: the fixed name is recorded all the same.
        TempMachine m("Quorvelt.exe");
        if (!c.seed.empty()) SeedRegistry(c.seed + "\n");
        EXPECT_NO_THROW(c.fileName ? RegisterDialerPath(c.fileName) : RegisterDialerPath()) << c.name;
        AnsiString expected = Utf8ToAnsi(m.programDir() + "/") + (c.fileName ? c.fileName : "Mirvane.exe");
        EXPECT_EQ(Recorded(), c.written ? Sz(expected) : c.kept) << c.name;
    }
}

TEST(Registravyn, AUserWhoMayNotWriteHkcuStartsWithoutARecord) {
    struct {
        const char* name;
        const char* seed;
    } cases[] = {
        {"key missing: not created", ""},
        {"value of another type: not replaced",
         "[HKCU\\Software\\Vyn\\Ruvozava]\n\"discadorbinary\" = REG_DWORD 7\n"},
    };
    for (const auto& c : cases) {
        TempMachine m;
        if (*c.seed) SeedRegistry(c.seed);
        std::string before = RegistrySnapshot();
        m.writeMachineFile("registry-access.txt", "read HKEY_CURRENT_USER\n");
        EXPECT_NO_THROW(RegisterDialerPath()) << c.name;
        EXPECT_EQ(RegistrySnapshot(), before) << c.name;
    }
}

TEST(Registravyn, AWriteTheRegistryRefusesIsDropped) {
    TempMachine m;
    SeedRegistry("[HKCU\\Software\\Vyn\\Ruvozava]\n\"discadorbinary\" = REG_DWORD 7\n");
    std::string before = RegistrySnapshot();
    // In a child whose files may not grow past 16 bytes the registry cannot be saved, so the
    // write raises inside the record; the child ends normally only when nothing escaped.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16, 16};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
        // The refusal is real: the registry itself raises for this write.
        {
            TRegistry reg;
            if (!reg.OpenKey(kKey, false)) _exit(3);
            try {
                reg.WriteString("discadorbinary", "x");
                _exit(4);
            } catch (const ERegistryException&) {}
        }
        try {
            RegisterDialerPath();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(RegistrySnapshot(), before);
}
