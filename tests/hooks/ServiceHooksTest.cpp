// The simulated dial-up service handing requests to the hook libraries its phonebook names:
// an application's request for an address to the entry's AutoDial handler, a dial of an
// entry set up with a custom-dial library to that library. Each case on a fresh machine.
#include "HookFixture.h"

#include "platform/Machine.h"
#include "platform/RasApi.h"
#include "platform/registry/RegistryStore.h"
#include "platform/rassim/RasSimControl.h"

#include <cstring>
#include <unistd.h>

namespace {
const char* const kEntry = "Ruvozava Corvala 1.3";

void ignoreNote(HRASCONN, UINT, RASCONNSTATE, DWORD, DWORD) {}

class ServiceHooks : public HookTest {
protected:
    ServiceHooks() : service(loadService()), sim(bindSim<PFN_VynSimControl>("VynSimControl")()) {
        machine.installLibrary("Tebrin.dll");
        machine.installLibrary("Olvaret.dll");
        requestAddress = bindSim<PFN_VynSimRequestAddress>("VynSimRequestAddress");
        dialA = bindSim<PFN_RasDialA>("RasDialA");
    }
    // The service's own thread must end before the fixture counts the threads left.
    ~ServiceHooks() override { FreeLibrary(service); }

    // An entry on the modem, naming `autodialDll` ("" none) and "AutoDialHandler".
    void createEntry(const AnsiString& autodialDll) {
        RASENTRYA e{};
        e.dwSize = sizeof e;
        std::strcpy(e.szDeviceType, "modem");
        std::strcpy(e.szDeviceName, "Modem");
        std::strcpy(e.szAutodialDll, autodialDll.c_str());
        if (!autodialDll.empty()) std::strcpy(e.szAutodialFunc, "AutoDialHandler");
        auto set = bindSim<PFN_RasSetEntryPropertiesA>("RasSetEntryPropertiesA");
        ASSERT_EQ(set(nullptr, kEntry, &e, sizeof e, nullptr, 0), 0u);
    }
    // The AutoDial call's record in the service's log: what the request came to.
    std::string outcome() const {
        auto calls = sim->Calls("AutoDial");
        return calls.size() == 1 ? calls[0].Arg("outcome") : "records: " + std::to_string(calls.size());
    }
    DWORD dial(HRASCONN& handle) {
        RASDIALPARAMSA p{};
        p.dwSize = sizeof p;
        std::strcpy(p.szEntryName, kEntry);
        std::strcpy(p.szUserName, "vyn");
        return dialA(nullptr, nullptr, &p, 1, reinterpret_cast<void*>(&ignoreNote), &handle);
    }
    // Waits for the threads the hooks started.
    bool hooksDone() const { return hookThreads.WaitUntilEnded(10000); }

    HMODULE service;
    RasSimControl* sim;
    PFN_VynSimRequestAddress requestAddress = nullptr;
    PFN_RasDialA dialA = nullptr;
    ThreadWatch hookThreads;  // after the service: its own thread is not a hook's

private:
    HMODULE loadService() {
        machine.installDialUpService();
        HMODULE h = LoadLibraryA("RASAPI32.DLL");
        if (!h) throw std::runtime_error("cannot load the service");
        return h;
    }
    template <class F>
    F bindSim(const char* name) const {
        auto f = reinterpret_cast<F>(GetProcAddress(service, name));
        if (!f) throw std::runtime_error(std::string("no export ") + name);
        return f;
    }
};

// How an address request goes, each on a fresh machine.
struct AddressCase {
    const char* name;
    const char* mapped;   // the address in the AutoDial table
    const char* asked;
    bool brenwick;        // a "Brenwick.exe" beside Tebrin
    const char* autodialDll;  // the entry's library, "<folder>\" in front; "" none
    const char* script;   // "dial-script.txt"
    const char* lineSpeed;  // "line-speed.txt": what another process's service published
    const char* outcome;
    DWORD result;
    bool started;         // Brenwick started with "-dial "
    const char* box;      // the message box Tebrin shows; "" none
};

class AddressRequest : public ServiceHooks, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(AddressRequest, CallsTheEntrysHandlerOnlyWhenNoConnectionIsUp) {
    const AddressCase& c = GetParam();
    if (c.brenwick) writeStandIn(machine.path("Brenwick.exe"), "Brenwick");
    createEntry(*c.autodialDll ? machine.programFile(c.autodialDll) : AnsiString());
    machine.writeMachineFile("autodial.txt", c.mapped + std::string("\t0\t0\t") + kEntry + "\n");
    machine.writeMachineFile("dial-script.txt", c.script);
    machine.writeMachineFile("line-speed.txt", c.lineSpeed);
    machine.writeMachineFile("message-answers.txt", "1\n");

    EXPECT_EQ(requestAddress(c.asked), c.result);
    EXPECT_EQ(outcome(), c.outcome);
    if (std::string(c.outcome) == "handled") {
        RasCall call = sim->Calls("AutoDial")[0];
        EXPECT_EQ(call.Arg("lpszPhonebook"), Utf8ToAnsi(MachineFile("phonebook.txt")));
        EXPECT_EQ(call.Arg("dwRetCode"), "0");
        EXPECT_NE(call.thread, static_cast<uint64_t>(gettid())) << "AutoDial answers on a thread of its own";
    }
    ASSERT_TRUE(hooksDone());
    if (c.started) {
        EXPECT_EQ(waitForStarts(1), std::vector<Start>({{"Brenwick", {"-dial"}}}));
        EXPECT_EQ(shellCalls().back().parameters, "-dial ");
    } else {
        EXPECT_TRUE(starts().empty());
    }
    auto boxes = RecordedMessageBoxes();
    if (*c.box) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, Utf8ToAnsi(c.box));
        EXPECT_EQ(boxes[0].caption, "Brenwick");
    } else {
        EXPECT_TRUE(boxes.empty());
    }
    if (!c.started && !*c.box) {
        EXPECT_TRUE(shellCalls().empty()) << "Tebrin was called";
    }
    EXPECT_EQ(sim->Dials(), 0u) << "the service never dials by itself";
}

const char* const kNeighbour = "outside \"Conex\xC3\xA3o do vizinho\"\n";

INSTANTIATE_TEST_SUITE_P(
    Service, AddressRequest,
    ::testing::Values(
        AddressCase{"MappedAndNoConnection", "www.vyn.com.br", "www.vyn.com.br", true, "Tebrin.dll", "", "0",
                    "handled", 0, true, ""},
        AddressCase{"AddressCaseIgnored", "www.vyn.com.br", "WWW.Vyn.COM.br", true, "Tebrin.dll", "", "",
                    "handled", 0, true, ""},
        AddressCase{"BrenwickNotFound", "pop.vyn.com.br", "pop.vyn.com.br", false, "Tebrin.dll", "", "0",
                    "handled", 0, false, "Ruvozava n\xC3\xA3o encontrado"},
        AddressCase{"ConnectionUpHere", "www.vyn.com.br", "www.vyn.com.br", true, "Tebrin.dll", kNeighbour, "",
                    "connected", 0, false, ""},
        AddressCase{"ConnectionUpInAnotherProcess", "www.vyn.com.br", "www.vyn.com.br", true, "Tebrin.dll", "",
                    "52000", "connected", 0, false, ""},
        AddressCase{"AddressNotMapped", "www.vyn.com.br", "www.other.com.br", true, "Tebrin.dll", "", "",
                    "no entry", ERROR_FILE_NOT_FOUND, false, ""},
        AddressCase{"DefaultConnectionIsNoAddress", "", "", true, "Tebrin.dll", "", "", "no entry",
                    ERROR_FILE_NOT_FOUND, false, ""},
        AddressCase{"EntryWithoutHandler", "www.vyn.com.br", "www.vyn.com.br", true, "", "", "", "no handler",
                    ERROR_NOT_SUPPORTED, false, ""},
        AddressCase{"HandlerLibraryMissing", "www.vyn.com.br", "www.vyn.com.br", true, "Gone.dll", "", "",
                    "cannot load", ERROR_MOD_NOT_FOUND, false, ""},
        AddressCase{"LibraryWithoutTheFunction", "www.vyn.com.br", "www.vyn.com.br", true, "Olvaret.dll", "", "",
                    "no function", ERROR_PROC_NOT_FOUND, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A dial of an entry set up with a custom-dial library, each on a fresh machine.
struct CustomCase {
    const char* name;
    const char* windows;   // "windows.txt"
    const char* customDial;  // "custom-dial.txt"; "%s" stands for the program folder
    DWORD result;
    bool dialed;           // the service dialed the entry itself
    bool started;          // the recorded program started with "-dial "
};

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
    if (auto at = table.find("%s"); at != std::string::npos) table.replace(at, 2, machine.programDir());
    machine.writeMachineFile("custom-dial.txt", table);

    HRASCONN handle = 0;
    EXPECT_EQ(dial(handle), c.result);
    EXPECT_EQ(sim->Dials(), c.dialed ? 1u : 0u);
    EXPECT_EQ(handle != 0, c.dialed);
    auto custom = sim->Calls("RasCustomDial");
    if (c.started) {
        ASSERT_TRUE(hooksDone());
        EXPECT_EQ(waitForStarts(1), std::vector<Start>({{"Mirvane", {"-dial"}}}));
        ASSERT_EQ(custom.size(), 1u);
        EXPECT_EQ(custom[0].Arg("szEntryName"), kEntry);
        EXPECT_EQ(custom[0].Arg("dwNotifierType"), "1");
        EXPECT_EQ(custom[0].result, 0u);
    } else {
        EXPECT_TRUE(custom.empty());
        EXPECT_TRUE(starts().empty());
    }
    auto dials = sim->Calls("RasDialA");
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0].result, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Service, CustomDial,
    ::testing::Values(
        CustomCase{"OlvaretNamedForTheEntry", "XP", "Ruvozava Corvala 1.3\t%s/Olvaret.dll\n", 0, false, true},
        CustomCase{"NameMatchedIgnoringCase", "2000", "# set up by hand\r\nRUVOZAVA corvala 1.3\t%s/Olvaret.dll\r\n",
                   0, false, true},
        CustomCase{"AnotherEntrysLibrary", "XP", "Conexao do vizinho\t%s/Olvaret.dll\n", 0, true, false},
        CustomCase{"WindowsWithoutCustomDialing", "98", "Ruvozava Corvala 1.3\t%s/Olvaret.dll\n", 0, true, false},
        CustomCase{"LibraryMissing", "XP", "Ruvozava Corvala 1.3\t%s/Gone.dll\n", ERROR_MOD_NOT_FOUND, false,
                   false},
        CustomCase{"LibraryWithoutRasCustomDial", "XP", "Ruvozava Corvala 1.3\t%s/Tebrin.dll\n",
                   ERROR_PROC_NOT_FOUND, false, false}),
    [](const auto& info) { return std::string(info.param.name); });
} // namespace
