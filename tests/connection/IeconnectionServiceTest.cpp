// The default Internet connection through the simulated dial-up service's AutoDial table,
// with the entry points bound as the engine binds them.
#include "connection/Ieconnection.h"

#include "platform/Library.h"
#include "platform/registry/RegistryStore.h"
#include "platform/rassim/RasSimControl.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {
const AnsiString kEntry = "Ruvozava Corvala 1.3.0";

// The service beside the program, its AutoDial table as given, its call log cleared.
struct Service {
    TempMachine m;
    HMODULE library = nullptr;
    RasSimControl* sim = nullptr;
    PFN_RasGetAutodialAddressA get = nullptr;
    PFN_RasSetAutodialAddressA set = nullptr;

    explicit Service(const std::string& table, const char* hiddenExports = "") {
        m.writeMachineFile("autodial.txt", table);
        m.writeMachineFile("hidden-exports.txt", hiddenExports);
        m.installDialUpService();
        library = LoadLibraryA("RASAPI32.DLL");
        auto control = reinterpret_cast<PFN_VynSimControl>(GetProcAddress(library, "VynSimControl"));
        if (!control) throw std::runtime_error("the simulated dial-up service did not load");
        sim = control();
        sim->Reset();
        get = reinterpret_cast<PFN_RasGetAutodialAddressA>(GetProcAddress(library, "RasGetAutodialAddressA"));
        set = reinterpret_cast<PFN_RasSetAutodialAddressA>(GetProcAddress(library, "RasSetAutodialAddressA"));
    }
    ~Service() { FreeLibrary(library); }

    std::string table() const {
        std::ifstream in(m.dir() + "/autodial.txt", std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
};

// Default-connection records ("" address) at locations 1..n naming `first`, then "Other n".
std::string DefaultRecords(int n, const std::string& first) {
    std::string out;
    for (int i = 1; i <= n; ++i)
        out += "\t" + std::to_string(i) + "\t0\t" + (i == 1 ? first : "Other " + std::to_string(i)) + "\n";
    return out;
}

std::string Record(const AnsiString& entry) {
    std::string r(272, '\0');
    r[0] = char(0x10);  // dwSize 272
    r[1] = char(0x01);
    r[8] = char(0x01);  // dwDialingLocation 1
    r.replace(12, entry.size(), entry);
    return r;
}
}  // namespace

TEST(IeconnectionService, IsDefaultAsksTheTableForTheDefaultConnection) {
    struct {
        const char* name;
        std::string table;
        bool isDefault;
        std::size_t calls;
    } cases[] = {
        {"an empty table", "", false, 2},
        {"only another address", "vyn.example\t1\t0\tRuvozava Corvala 1.3.0\n", false, 2},
        {"the entry first", DefaultRecords(2, "Ruvozava Corvala 1.3.0"), true, 2},
        {"the entry second", "\t1\t0\tOther ISP\n\t2\t0\tRuvozava Corvala 1.3.0\n", false, 2},
        {"the entry in other letter case", DefaultRecords(1, "RUVOZAVA CORVALA 1.3.0"), false, 2},
        {"128 records fill the array", DefaultRecords(128, "Ruvozava Corvala 1.3.0"), true, 2},
        {"129 records count as the default", DefaultRecords(129, "Other ISP"), true, 1},
    };
    for (const auto& c : cases) {
        Service s(c.table);
        ASSERT_TRUE(s.get && s.set) << c.name;
        std::string before = RegistrySnapshot();
        TIEConnection ie(TServices(), s.get, s.set);
        EXPECT_EQ(ie.IsDefault(kEntry), c.isDefault) << c.name;
        auto calls = s.sim->Calls("RasGetAutodialAddressA");
        ASSERT_EQ(calls.size(), c.calls) << c.name;
        EXPECT_EQ(calls[0].Arg("lpszAddress"), "null") << c.name;
        EXPECT_EQ(calls[0].Arg("lpAutoDialEntries"), "null") << c.name;
        EXPECT_EQ(calls[0].Arg("cb"), "0") << c.name;
        EXPECT_EQ(s.table(), c.table) << c.name;
        EXPECT_TRUE(s.sim->Calls("RasSetAutodialAddressA").empty()) << c.name;
        EXPECT_EQ(RegistrySnapshot(), before) << c.name;
    }
}

TEST(IeconnectionService, SetDefaultPutsTheEntryAtDialingLocationOne) {
    const AnsiString kLong(300, 'x');
    struct {
        const char* name;
        AnsiString entry;
        std::string table;
        std::string after;
        AnsiString stored;
    } cases[] = {
        {"an empty table", kEntry, "", "\t1\t0\tRuvozava Corvala 1.3.0\n", kEntry},
        {"another entry at location 1 is replaced", kEntry, "\t1\t0\tOther ISP\n\t2\t0\tSecond\n",
         "\t1\t0\tRuvozava Corvala 1.3.0\n\t2\t0\tSecond\n", kEntry},
        {"the entry behind another location stays behind it", kEntry, "\t2\t0\tSecond\n",
         "\t2\t0\tSecond\n\t1\t0\tRuvozava Corvala 1.3.0\n", kEntry},
        {"a name cut to 256 characters", kLong, "", "\t1\t0\t" + std::string(256, 'x') + "\n", AnsiString(256, 'x')},
    };
    for (const auto& c : cases) {
        Service s(c.table);
        std::string before = RegistrySnapshot();
        TIEConnection ie(TServices(), s.get, s.set);
        ie.SetDefault(c.entry);
        auto sets = s.sim->Calls("RasSetAutodialAddressA");
        ASSERT_EQ(sets.size(), 1u) << c.name;
        EXPECT_EQ(sets[0].Arg("lpszAddress"), "null") << c.name;
        EXPECT_EQ(sets[0].Arg("dwReserved"), "0") << c.name;
        EXPECT_EQ(sets[0].Arg("dwcbAutoDialEntries"), "272") << c.name;
        EXPECT_EQ(sets[0].Arg("dwcAutoDialEntries"), "1") << c.name;
        EXPECT_EQ(sets[0].Buffer("entries"), Record(c.stored)) << c.name;
        EXPECT_EQ(sets[0].result, DWORD(ERROR_SUCCESS)) << c.name;
        EXPECT_EQ(s.table(), c.after) << c.name;
        EXPECT_EQ(ie.IsDefault(c.stored), c.after.rfind("\t1\t", 0) == 0) << c.name;
        EXPECT_EQ(RegistrySnapshot(), before) << c.name;
    }
}

TEST(IeconnectionService, AServiceWithoutTheWriterKeepsItsTable) {
    const std::string table = "\t1\t0\tOther ISP\n";
    Service s(table, "RASAPI32.DLL RasSetAutodialAddressA\n");
    ASSERT_NE(s.get, nullptr);
    ASSERT_EQ(s.set, nullptr);
    std::string before = RegistrySnapshot();
    TIEConnection ie(TServices(), s.get, s.set);
    ie.SetDefault(kEntry);
    EXPECT_EQ(s.table(), table);
    EXPECT_EQ(RegistrySnapshot(), before);
    EXPECT_FALSE(ie.IsDefault(kEntry));
}
