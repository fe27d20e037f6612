// On a fresh machine: the program records where it lives; a dial of an entry set up with
// Olvaret as its custom-dial library then starts that program instead of dialing, and the
// running instance comes forward.
#include "ProgramRun.h"

#include "app/Main.h"
#include "platform/Library.h"
#include "platform/RasApi.h"
#include "platform/ShellApi.h"
#include "platform/qt/SingleInstance.h"
#include "platform/rassim/RasSimControl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {
void ignoreNote(HRASCONN, UINT, RASCONNSTATE, DWORD, DWORD) {}

bool startedWithDial(const AnsiString& program) {
    for (const ShellCall& c : RecordedShellCalls())
        if (c.operation == "open" && c.file == program && c.parameters == "-dial ") return true;
    return false;
}
}  // namespace

TEST(EndToEnd, OlvaretAsACustomDialLibraryStartsTheRecordedProgram) {
    TempMachine machine;
    machine.writeMachineFile("devices.txt", "modem\tModem Padr\xC3\xA3o 56K\n");
    machine.writeMachineFile("message-answers.txt", "7\n6\n");
    InstallProgram(machine);
    machine.installLibrary("Olvaret.dll");
    // The program Olvaret starts runs as the one the test starts.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    ProgramRun first(machine, {"--minimized"});
    ASSERT_FALSE(first.waitForLine("loop").isEmpty());
    EXPECT_FALSE(first.saw("painted MainForm"));

    // An entry of another program's, set up by hand to dial through Olvaret.
    HMODULE service = LoadLibraryA(Utf8ToAnsi(machine.path("RASAPI32.DLL")).c_str());
    ASSERT_NE(service, nullptr);
    auto set = reinterpret_cast<PFN_RasSetEntryPropertiesA>(GetProcAddress(service, "RasSetEntryPropertiesA"));
    auto dial = reinterpret_cast<PFN_RasDialA>(GetProcAddress(service, "RasDialA"));
    RasSimControl* sim = reinterpret_cast<PFN_VynSimControl>(GetProcAddress(service, "VynSimControl"))();
    RASENTRYA entry{};
    entry.dwSize = sizeof entry;
    std::strcpy(entry.szDeviceType, "modem");
    ASSERT_EQ(set(nullptr, "Banda do vizinho", &entry, sizeof entry, nullptr, 0), 0u);
    machine.writeMachineFile("custom-dial.txt", "Banda do vizinho\t" + machine.path("Olvaret.dll") + "\n");

    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::strcpy(params.szEntryName, "Banda do vizinho");
    HRASCONN handle = 0;
    EXPECT_EQ(dial(nullptr, nullptr, &params, 1, reinterpret_cast<void*>(&ignoreNote), &handle), 0u);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(sim->Dials(), 0u) << "the entry was dialed";
    EXPECT_EQ(sim->Calls("RasCustomDial").size(), 1u);

    // What the program recorded is what Olvaret starts; the second start brings the first
    // forward, out of the tray.
    AnsiString recorded = Utf8ToAnsi(machine.path("Mirvane.exe"));
    EXPECT_TRUE(WaitFor([&] { return startedWithDial(recorded); })) << "no start of " << recorded;
    EXPECT_FALSE(first.waitForLine("painted MainForm").isEmpty());
    FreeLibrary(service);

    PostToInstance(kProgramTitle, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.exitCode(), 0);
}
