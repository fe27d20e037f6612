#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include "StoredKeys.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <csignal>
#include <iterator>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs `body` in a child process; its exit status is 0 when it ran without an exception.
template <typename F>
pid_t Child(F body) {
    pid_t pid = fork();
    if (pid == 0) {
        int status = 0;
        try {
            body();
        } catch (...) {
            status = 1;
        }
        _exit(status);
    }
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

void WriteMany(const AnsiString& writer, int count) {
    for (int i = 0; i < count; ++i) {
        TRegistry reg;
        if (!reg.OpenKey("Software\\Shared\\" + writer, true)) throw Exception("open");
        reg.WriteInteger("n" + std::to_string(i), i);
        reg.CloseKey();
        if (!reg.OpenKey("Software\\Shared", false)) throw Exception("open");
        reg.WriteString(writer + "-" + std::to_string(i), writer);
    }
}

constexpr int kWrites = 60;

// Each writer's own key holds n0..n59, and the shared key one text per write.
void ExpectAllWritten(const std::vector<AnsiString>& writers) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Shared", false));
    TStringList keys;
    reg.GetKeyNames(&keys);
    EXPECT_EQ(keys.Count(), static_cast<int>(writers.size()));
    EXPECT_EQ(StoredValueNames(RegRoot::CurrentUser, "Software\\Shared").size(), writers.size() * kWrites);
    for (const auto& writer : writers) {
        TRegistry own;
        ASSERT_TRUE(own.OpenKey("Software\\Shared\\" + writer, false)) << writer;
        for (int i = 0; i < kWrites; ++i) {
            EXPECT_EQ(own.ReadInteger("n" + std::to_string(i)), i) << writer;
            EXPECT_EQ(reg.ReadString(writer + "-" + std::to_string(i)), writer);
        }
    }
}

}  // namespace

TEST(RegistryStore, ProcessesWritingAtOnceLoseNothing) {
    TempMachine m;
    std::vector<pid_t> children;
    std::vector<AnsiString> writers = {"parent"};
    for (int w = 0; w < 4; ++w) {
        writers.push_back("w" + std::to_string(w));
        children.push_back(Child([name = writers.back()] { WriteMany(name, kWrites); }));
    }
    WriteMany("parent", kWrites);
    for (pid_t pid : children) EXPECT_EQ(Wait(pid), 0);
    ExpectAllWritten(writers);
}

TEST(RegistryStore, ThreadsWritingAtOnceLoseNothing) {
    TempMachine m;
    std::vector<AnsiString> writers;
    std::vector<std::thread> threads;
    for (int w = 0; w < 4; ++w) {
        writers.push_back("t" + std::to_string(w));
        threads.emplace_back([name = writers.back()] { WriteMany(name, kWrites); });
    }
    for (auto& t : threads) t.join();
    ExpectAllWritten(writers);
}

TEST(RegistryStore, ASaveThatFailsRaisesAndDropsTheChange) {
    TempMachine m;
    SeedRegistry("[HKCU\\Software\\Vyn]\n\"v\" = REG_SZ \"old\"\n");
    std::string before = RegistrySnapshot();
    // In a child whose files may not grow past 16 bytes, the new registry cannot be written.
    EXPECT_EQ(Wait(Child([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  rlimit limit{16, 16};
                  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) throw Exception("setrlimit");
                  TRegistry reg;
                  if (!reg.OpenKey("Software\\Vyn", false)) throw Exception("open");
                  bool raised = false;
                  try {
                      reg.WriteString("v", "a text far longer than what may be written");
                  } catch (const ERegistryException&) {
                      raised = true;
                  }
                  if (!raised) throw Exception("no error");
                  if (reg.ReadString("v") != "old") throw Exception("change kept");
                  if (RegistrySnapshot() != before) throw Exception("snapshot changed");
              })),
              0);
    EXPECT_EQ(RegistrySnapshot(), before);
}

TEST(RegistryStore, AChangeByAnotherProcessIsSeen) {
    TempMachine m;
    SeedRegistry(
        "[HKCU\\Software\\Vyn\\Ruvozava]\n\"discadorbinary\" = REG_SZ \"C:\\\\A\\\\Mirvane.exe\"\n"
        "[HKCU\\Old]\n@ = REG_SZ \"x\"\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Vyn\\Ruvozava", false));
    EXPECT_EQ(reg.ReadString("discadorbinary"), "C:\\A\\Mirvane.exe");
    TRegistry old(KEY_READ);
    ASSERT_TRUE(old.OpenKey("Old", false));
    ASSERT_TRUE(old.ValueExists(""));
    EXPECT_EQ(Wait(Child([] {
                  TRegistry other;
                  if (!other.OpenKey("Software\\Vyn\\Ruvozava", false)) throw Exception("open");
                  other.WriteString("discadorbinary", "C:\\B\\MirvaneRoaming.exe");
                  if (!RemoveStoredKey(RegRoot::CurrentUser, "Old")) throw Exception("delete");
              })),
              0);
    EXPECT_EQ(reg.ReadString("discadorbinary"), "C:\\B\\MirvaneRoaming.exe");
    EXPECT_FALSE(old.ValueExists(""));  // its key has gone
}

TEST(RegistryStore, TheFileIsTheSeedFormAndEditsByHandAreSeen) {
    TempMachine m;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Vyn", true));
    reg.WriteInteger("n", 1);
    std::string text = RegistrySnapshot();
    EXPECT_EQ(text, "[HKEY_CURRENT_USER\\Software\\Vyn]\n\"n\" = REG_DWORD 0x00000001\n");
    m.writeMachineFile("registry.txt",
                       "[HKEY_CURRENT_USER\\Software\\Vyn]\n\"n\" = REG_DWORD 0x00000002\n\"m\" = REG_NONE\n");
    EXPECT_EQ(reg.ReadInteger("n"), 2);
    EXPECT_TRUE(reg.ValueExists("m"));
}

TEST(RegistryStore, AFileThatDoesNotParseFailsEveryCallAndIsNotOverwritten) {
    TempMachine m;
    const std::string broken = "[HKEY_CURRENT_USER\\Software]\n\"v\" = REG_DWORD nonsense\n";
    m.writeMachineFile("registry.txt", broken);
    EXPECT_EQ(RegistryStore::Read([](const RegTree&) { return ERROR_SUCCESS; }), ERROR_BADDB);
    EXPECT_EQ(RegistryStore::Write([](RegTree&, bool& changed) {
                  changed = true;
                  return ERROR_SUCCESS;
              }),
              ERROR_BADDB);
    TRegistry reg(KEY_READ);
    EXPECT_FALSE(reg.OpenKey("Software", false));
    EXPECT_FALSE(reg.OpenKey("X", true));
    try {
        SeedRegistry("[HKCU\\X]\n");
        ADD_FAILURE() << "seeded a broken registry";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message.find("line 2"), std::string::npos) << e.Message;
    }
    std::ifstream in(m.dir() + "/registry.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), broken);
}

TEST(RegistryStore, EachMachineHasItsOwnRegistry) {
    {
        TempMachine first;
        SeedRegistry("[HKLM\\Software\\Vyn]\n\"x\" = REG_DWORD 1\n");
        RegValue v;
        EXPECT_TRUE(GetMachineRegistryValue(RegRoot::LocalMachine, "SOFTWARE\\vyn", "X", v));
    }
    TempMachine second;
    RegValue v;
    EXPECT_FALSE(GetMachineRegistryValue(RegRoot::LocalMachine, "Software\\Vyn", "x", v));
    EXPECT_EQ(RegistrySnapshot(), "");
    ClearRegistry();
    EXPECT_EQ(RegistrySnapshot(), "");
}

TEST(RegistryStore, AMalformedSeedAddsNothing) {
    TempMachine m;
    SeedRegistry("[HKCU\\Keep]\n");
    std::string before = RegistrySnapshot();
    EXPECT_THROW(SeedRegistry("[HKCU\\New]\n\"v\" = REG_SZ \"unclosed\n"), Exception);
    EXPECT_EQ(RegistrySnapshot(), before);
    m.writeMachineFile("demo.reg", "[HKLM\\Software\\Demo]\n@ = REG_SZ \"x\"\n");
    SeedRegistryFile(m.dir() + "/demo.reg");
    RegValue v;
    ASSERT_TRUE(GetMachineRegistryValue(RegRoot::LocalMachine, "Software\\Demo", "", v));
    EXPECT_EQ(v.data, std::string("x\0", 2));
    EXPECT_THROW(SeedRegistryFile(m.dir() + "/missing.reg"), EFOpenError);
}
