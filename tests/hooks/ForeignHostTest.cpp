#include "HookFixture.h"

#include "platform/Dialogs.h"
#include "platform/registry/RegistryStore.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// Runs the host program on this machine; its output and exit code.
std::pair<std::string, int> host(const TempMachine& m, const std::string& library, const char* entry,
                                 const std::string& environment = "", const std::string& program = VYN_HOOK_HOST) {
    std::string command = environment + " VYN_MACHINE_DIR='" + m.dir() + "' '" + program + "' '" + m.path(library) +
                          "' " + entry;
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

// The same in each kind of host.
class EachForeignHost : public ForeignHost, public ::testing::WithParamInterface<const char*> {
protected:
    std::pair<std::string, int> run(const std::string& library, const char* entry) {
        return host(machine, library, entry, "", GetParam());
    }
};
}  // namespace

// In a program that has no platform layer of its own, each library runs on its own copy and
// still finds the machine, the registry and the shell, and ends its threads. In a program
// that has functions of its own under the same names, each library still runs its own.
TEST_P(EachForeignHost, TheLibrariesWorkOnTheirOwn) {
    std::string mirvane = machine.path("Mirvane.exe");
    writeStandIn(mirvane, "Mirvane");
    SetMachineRegistryValue(RegRoot::CurrentUser, "Software\\Vyn\\Ruvozava", "discadorbinary", REG_SZ,
                            Utf8ToAnsi(mirvane) + std::string(1, '\0'));
    EXPECT_EQ(run("Olvaret.dll", "RasCustomDial"), std::make_pair(std::string("result 0 code -1\n"), 0));
    EXPECT_EQ(waitForStarts(1), (std::vector<Start>{{"Mirvane", {"-dial"}}}));

    machine.writeMachineFile("message-answers.txt", "1\n");
    EXPECT_EQ(run("Tebrin.dll", "AutoDialHandlerW"), std::make_pair(std::string("result 1 code 0\n"), 0));
    auto boxes = RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Ruvozava não encontrado"_a);
    EXPECT_EQ(boxes[0].caption, "Brenwick");
    EXPECT_EQ(boxes[0].flags, 0x2010u);

    writeStandIn(machine.path("Brenwick.exe"), "Brenwick");
    EXPECT_EQ(run("Tebrin.dll", "AutoDialHandlerA"), std::make_pair(std::string("result 1 code 0\n"), 0));
    EXPECT_EQ(waitForStarts(2), (std::vector<Start>{{"Brenwick", {"-dial"}}, {"Mirvane", {"-dial"}}}));

    auto calls = shellCalls();
    ASSERT_EQ(calls.size(), 4u);  // open, FindExecutable (failed), FindExecutable, open
    EXPECT_EQ(calls[0].parameters, "-dial ");
    EXPECT_EQ(calls[1].result, SE_ERR_FNF);
    EXPECT_EQ(calls[3].file, Utf8ToAnsi(machine.path("Brenwick.exe")));
    EXPECT_EQ(calls[3].parameters, "-dial ");
}

INSTANTIATE_TEST_SUITE_P(Hosts, EachForeignHost, ::testing::Values(VYN_HOOK_HOST, VYN_HOOK_HOST_IMPOSTOR),
                         [](const auto& info) { return std::string(info.index == 0 ? "Bare" : "WithSameNames"); });

// On a desktop with a display the box of a failed look-up goes to the helper beside the
// library, and the worker waits for the button pressed there.
TEST_F(ForeignHost, OnADesktopTebrinsBoxIsShownByTheHelperAndItsWorkerWaitsForOk) {
    fs::remove(machine.dir() + "/no-desktop");
    std::string answerPipe = machine.dir() + "/answer.pipe";
    ASSERT_EQ(mkfifo(answerPipe.c_str(), 0600), 0);
    // Held open both ways: the helper's read waits for the answer, never for a writer.
    int press = open(answerPipe.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(press, 0);
    // The stand-in helper: reports its start, then waits for the user's button.
    std::string report = machine.dir() + "/report-helper";
    writeStandIn(report, "helper");
    std::string helper = machine.path("vyn-messagebox");
    std::ofstream(helper, std::ios::binary) << "#!/bin/sh\nexec >/dev/null\n'" << report
                                            << "' \"$@\"\nread answer < '" << answerPipe << "'\nexit $answer\n";
    fs::permissions(helper, fs::perms::owner_all);

    std::pair<std::string, int> ran;
    std::thread caller([&] { ran = host(machine, "Tebrin.dll", "AutoDialHandlerA", "DISPLAY=:7 VYN_NO_DESKTOP="); });
    std::vector<Start> started = waitForStarts(1);
    bool shown = started.size() == 1;
    // While the box is up nothing is answered yet.
    bool loggedBefore = fs::exists(machine.dir() + "/messages.log");
    EXPECT_EQ(write(press, "1\n", 2), 2);  // OK
    caller.join();
    close(press);

    ASSERT_TRUE(shown);
    EXPECT_EQ(started[0],
              (Start{"helper", {"8208", "4272656e7769636b", "5275766f7a617661206ee36f20656e636f6e747261646f"}}));
    EXPECT_FALSE(loggedBefore);
    EXPECT_EQ(ran, std::make_pair(std::string("result 1 code 0\n"), 0));
    std::ostringstream log;
    log << std::ifstream(machine.dir() + "/messages.log").rdbuf();
    EXPECT_EQ(log.str(), "8208\tBrenwick\tRuvozava n\xe3o encontrado\t1\n");
}
