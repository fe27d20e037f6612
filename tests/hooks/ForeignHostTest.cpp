#include "HookFixture.h"

#include "platform/Dialogs.h"
#include "platform/registry/RegistryStore.h"

#include <cstdio>
#include <sys/wait.h>

namespace {
// Runs the host program on this machine; its output and exit code.
std::pair<std::string, int> host(const TempMachine& m, const std::string& library, const char* entry) {
    std::string command = "VYN_MACHINE_DIR='" + m.dir() + "' '" VYN_HOOK_HOST "' '" + m.path(library) + "' " + entry;
    FILE* out = popen(command.c_str(), "r");
    if (!out) return {"", -1};
    std::string text;
    char buf[256];
    while (std::fgets(buf, sizeof buf, out)) text += buf;
    int status = pclose(out);
    return {text, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

class ForeignHost : public HookTest {
protected:
    ForeignHost() {
        machine.installLibrary("Olvaret.dll");
        machine.installLibrary("Tebrin.dll");
    }
};
} // namespace

// In a program that has no platform layer of its own, each library runs on its own copy and
// still finds the machine, the registry and the shell, and ends its threads.
TEST_F(ForeignHost, TheLibrariesWorkOnTheirOwn) {
    std::string mirvane = machine.path("Mirvane.exe");
    writeStandIn(mirvane, "Mirvane");
    SetMachineRegistryValue(RegRoot::CurrentUser, "Software\\Vyn\\Ruvozava", "discadorbinary", REG_SZ,
                            Utf8ToAnsi(mirvane) + std::string(1, '\0'));
    EXPECT_EQ(host(machine, "Olvaret.dll", "RasCustomDial"), std::make_pair(std::string("result 0 code -1\n"), 0));
    EXPECT_EQ(waitForStarts(1), (std::vector<Start>{{"Mirvane", {"-dial"}}}));

    EXPECT_EQ(host(machine, "Tebrin.dll", "AutoDialHandlerW"), std::make_pair(std::string("result 1 code 0\n"), 0));
    auto boxes = RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Ruvozava não encontrado"_a);
    EXPECT_EQ(boxes[0].caption, "Brenwick");
    EXPECT_EQ(boxes[0].flags, 0x2010u);

    writeStandIn(machine.path("Brenwick.exe"), "Brenwick");
    EXPECT_EQ(host(machine, "Tebrin.dll", "AutoDialHandlerA"), std::make_pair(std::string("result 1 code 0\n"), 0));
    EXPECT_EQ(waitForStarts(2), (std::vector<Start>{{"Brenwick", {"-dial"}}, {"Mirvane", {"-dial"}}}));

    auto calls = shellCalls();
    ASSERT_EQ(calls.size(), 4u);  // open, FindExecutable (failed), FindExecutable, open
    EXPECT_EQ(calls[0].parameters, "-dial ");
    EXPECT_EQ(calls[1].result, SE_ERR_FNF);
    EXPECT_EQ(calls[3].file, Utf8ToAnsi(machine.path("Brenwick.exe")));
    EXPECT_EQ(calls[3].parameters, "-dial ");
}
