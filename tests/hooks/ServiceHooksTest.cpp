// The simulated dial-up service handing requests to the hook libraries its phonebook names:
// an application's request for an address to the entry's AutoDial handler, a dial of an
// entry set up with a custom-dial library to that library. Each case on a fresh machine.
#include "HookFixture.h"

#include "platform/RasApi.h"
#include "platform/registry/RegistryStore.h"
#include "platform/rassim/RasSimControl.h"

#include <cstring>
#include <unistd.h>

namespace {
const char* const kEntry = "Ruvozava Corvala 1.3";

void ignoreNote(HRASCONN, UINT, RASCONNSTATE, DWORD, DWORD) {}

// The service loaded as the programs load it, both hooks beside the program.
class ServiceHooks : public HookTest {
protected:
    ServiceHooks() : service(loadService()) {
        machine.installLibrary("Tebrin.dll");
        machine.installLibrary("Olvaret.dll");
        sim = exportOf<PFN_VynSimControl>("VynSimControl")();
    }
    // Its own thread ends before the fixture counts the threads left.
    ~ServiceHooks() override { FreeLibrary(service); }

    template <class F>
    F exportOf(const char* name) const {
        return reinterpret_cast<F>(GetProcAddress(service, name));
    }
    // An entry naming `autodialDll` ("" none) and "AutoDialHandler".
    void createEntry(const AnsiString& autodialDll) {
        RASENTRYA e{};
        e.dwSize = sizeof e;
        std::strcpy(e.szDeviceType, "modem");
        std::strcpy(e.szAutodialDll, autodialDll.c_str());
        std::strcpy(e.szAutodialFunc, "AutoDialHandler");
        auto set = exportOf<PFN_RasSetEntryPropertiesA>("RasSetEntryPropertiesA");
        ASSERT_EQ(set(nullptr, kEntry, &e, sizeof e, nullptr, 0), 0u);
    }

    HMODULE service;
    RasSimControl* sim = nullptr;
    ThreadWatch hookThreads;  // after the service: its own thread is not a hook's

private:
    HMODULE loadService() {
        machine.installDialUpService();
        return LoadLibraryA("RASAPI32.DLL");
    }
};

struct AddressCase {
    const char* name;
    const char* mapped;  // the address in the AutoDial table
    const char* asked;
    bool brenwick;            // a "Brenwick.exe" beside Tebrin
    const char* autodialDll;  // the entry's, in the program folder; "" none
    const char* up;           // a connection: "here", "elsewhere" (another process's), ""
    const char* outcome;
    DWORD result;
    bool started;     // Brenwick started with "-dial "
    const char* box;  // Tebrin's message; "" none
};

void PrintTo(const AddressCase& c, std::ostream* out) { *out << c.name; }

class AddressRequest : public ServiceHooks, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(AddressRequest, CallsTheEntrysHandlerOnlyWhenNoConnectionIsUp) {
    const AddressCase& c = GetParam();
    if (c.brenwick) writeStandIn(machine.path("Brenwick.exe"), "Brenwick");
    createEntry(*c.autodialDll ? machine.programFile(c.autodialDll) : AnsiString());
    machine.writeMachineFile("autodial.txt", c.mapped + std::string("\t0\t0\t") + kEntry + "\n");
    if (!std::strcmp(c.up, "here")) machine.writeMachineFile("dial-script.txt", "outside Vizinho\n");
    machine.writeMachineFile("line-speed.txt", std::strcmp(c.up, "elsewhere") ? "0\n" : "52000\n");
    machine.writeMachineFile("message-answers.txt", "1\n");

    EXPECT_EQ(exportOf<PFN_VynSimRequestAddress>("VynSimRequestAddress")(c.asked), c.result);
    auto calls = sim->Calls("AutoDial");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Arg("outcome"), c.outcome);
    EXPECT_NE(calls[0].thread, static_cast<uint64_t>(gettid())) << "AutoDial answers on a thread of its own";
    ASSERT_TRUE(hookThreads.WaitUntilEnded(10000));
    std::vector<Start> expected;
    if (c.started) expected.push_back({"Brenwick", {"-dial"}});
    EXPECT_EQ(c.started ? waitForStarts(1) : starts(), expected);
    auto boxes = RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), *c.box ? 1u : 0u);
    if (*c.box) {
        EXPECT_EQ(boxes[0].text, Utf8ToAnsi(c.box));
    }
    // Tebrin always looks Brenwick up: no shell call, no call of Tebrin.
    EXPECT_EQ(shellCalls().empty(), !c.started && !*c.box);
    EXPECT_EQ(sim->Dials(), 0u) << "the service never dials by itself";
}

INSTANTIATE_TEST_SUITE_P(
    Service, AddressRequest,
    ::testing::Values(
        AddressCase{"Mapped", "www.vyn.com.br", "WWW.Vyn.com.br", true, "Tebrin.dll", "", "handled", 0, true, ""},
        AddressCase{"BrenwickNotFound", "10.0.0.1", "10.0.0.1", false, "Tebrin.dll", "", "handled", 0, false,
                    "Ruvozava n\xC3\xA3o encontrado"},
        AddressCase{"ConnectedHere", "a.br", "a.br", true, "Tebrin.dll", "here", "connected", 0, false, ""},
        AddressCase{"ConnectedElsewhere", "a.br", "a.br", true, "Tebrin.dll", "elsewhere", "connected", 0, false, ""},
        AddressCase{"NotMapped", "a.br", "b.br", true, "Tebrin.dll", "", "no entry", ERROR_FILE_NOT_FOUND, false, ""},
        AddressCase{"DefaultIsNoAddress", "", "", true, "Tebrin.dll", "", "no entry", ERROR_FILE_NOT_FOUND, false,
                    ""},
        AddressCase{"NoHandler", "a.br", "a.br", true, "", "", "no handler", ERROR_NOT_SUPPORTED, false, ""},
        AddressCase{"LibraryGone", "a.br", "a.br", true, "Gone.dll", "", "cannot load", ERROR_MOD_NOT_FOUND, false,
                    ""},
        AddressCase{"NoFunction", "a.br", "a.br", true, "Olvaret.dll", "", "no function", ERROR_PROC_NOT_FOUND, false,
                    ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct CustomCase {
    const char* name;
    const char* windows;
    const char* customDial;  // "custom-dial.txt"; "%s" stands for the program folder
    DWORD result;
    bool dialed;   // by the service itself
    bool started;  // the recorded program, with "-dial "
};

void PrintTo(const CustomCase& c, std::ostream* out) { *out << c.name; }

class CustomDial : public ServiceHooks, public ::testing::WithParamInterface<CustomCase> {};

TEST_P(CustomDial, TheLibraryDialsInPlaceOfTheService) {
    const CustomCase& c = GetParam();
    std::string program = machine.path("Mirvane.exe");
    writeStandIn(program, "Mirvane");
    SetMachineRegistryValue(RegRoot::CurrentUser, "Software\\Vyn\\Ruvozava", "discadorbinary", REG_SZ,
                            Utf8ToAnsi(program) + std::string(1, '\0'));
    createEntry("");
    machine.writeMachineFile("windows.txt", c.windows);
    std::string table = c.customDial;
    table.replace(table.find("%s"), 2, machine.programDir());
    machine.writeMachineFile("custom-dial.txt", table);

    RASDIALPARAMSA p{};
    p.dwSize = sizeof p;
    std::strcpy(p.szEntryName, kEntry);
    HRASCONN handle = 0;
    auto dial = exportOf<PFN_RasDialA>("RasDialA");
    EXPECT_EQ(dial(nullptr, nullptr, &p, 1, reinterpret_cast<void*>(&ignoreNote), &handle), c.result);
    EXPECT_EQ(sim->Dials(), c.dialed ? 1u : 0u);
    EXPECT_EQ(handle != 0, c.dialed);
    auto custom = sim->Calls("RasCustomDial");
    ASSERT_EQ(custom.size(), c.started ? 1u : 0u);
    if (c.started) {
        EXPECT_EQ(custom[0].Arg("szEntryName"), kEntry);
        ASSERT_TRUE(hookThreads.WaitUntilEnded(10000));  // a dial starts the service's thread
        EXPECT_EQ(waitForStarts(1), std::vector<Start>({{"Mirvane", {"-dial"}}}));
    } else {
        EXPECT_TRUE(starts().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Service, CustomDial,
    ::testing::Values(
        CustomCase{"Olvaret", "XP", "Ruvozava Corvala 1.3\t%s/Olvaret.dll\n", 0, false, true},
        CustomCase{"NameCaseIgnored", "2000", "# by hand\r\nRUVOZAVA corvala 1.3\t%s/Olvaret.dll\r\n", 0, false,
                   true},
        CustomCase{"AnotherEntrys", "XP", "Vizinho\t%s/Olvaret.dll\n", 0, true, false},
        CustomCase{"NoCustomDialingOn98", "98", "Ruvozava Corvala 1.3\t%s/Olvaret.dll\n", 0, true, false},
        CustomCase{"LibraryGone", "XP", "Ruvozava Corvala 1.3\t%s/Gone.dll\n", ERROR_MOD_NOT_FOUND, false, false},
        CustomCase{"NoRasCustomDial", "XP", "Ruvozava Corvala 1.3\t%s/Tebrin.dll\n", ERROR_PROC_NOT_FOUND, false,
                   false}),
    [](const auto& info) { return std::string(info.param.name); });
}  // namespace
