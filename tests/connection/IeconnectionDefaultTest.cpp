// The default Internet connection by the registry values of the older systems.
#include "connection/Ieconnection.h"

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

namespace {
const AnsiString kEntry = "Ruvozava Corvala 1.3.0";
const AnsiString kSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const AnsiString kMachineAutoDial = "SOFTWARE\\Microsoft\\RAS AutoDial\\Default";
const AnsiString kUserAutoDial = "Software\\Microsoft\\RAS AutoDial\\Default";

std::string Value(const char* name, const std::string& form) {
    return form.empty() ? "" : "\"" + std::string(name) + "\" = " + form + "\n";
}
std::string MachineDefault(const std::string& form) {
    return "[HKLM\\SOFTWARE\\Microsoft\\RAS AutoDial\\Default]\n" + Value("DefaultInternet", form);
}
std::string UserDefault(const std::string& form) {
    return "[HKCU\\Software\\Microsoft\\RAS AutoDial\\Default]\n" + Value("DefaultInternet", form);
}
std::string Profile(const std::string& form) { return "[HKCU\\RemoteAccess]\n" + Value("InternetProfile", form); }
std::string Flags(const std::string& enable, const std::string& noNet) {
    return "[HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n" +
           Value("EnableAutodial", enable) + Value("NoNetAutodial", noNet);
}

const std::string kName = "REG_SZ \"Ruvozava Corvala 1.3.0\"";
const std::string kOne = "REG_BINARY 01 00 00 00";
const std::string kDwordOne = "REG_DWORD 1";
const std::string kAllSet = MachineDefault(kName) + Profile(kName) + Flags(kOne, kOne);

RegValue Stored(RegRoot root, const AnsiString& key, const AnsiString& name) {
    RegValue v;
    if (!GetMachineRegistryValue(root, key, name, v)) return {"(missing)", REG_NONE, {}};
    return v;
}
RegValue Sz(const AnsiString& name, const AnsiString& text) { return {name, REG_SZ, text + std::string(1, '\0')}; }
RegValue FlagOne(const AnsiString& name, DWORD type) { return {name, type, std::string("\x01\0\0\0", 4)}; }
const RegValue kMissing{"(missing)", REG_NONE, {}};

std::string LongFlag() {
    std::string s = "REG_BINARY";
    for (int i = 0; i < 256; ++i) s += " 01";
    return s;
}
}  // namespace

TEST(IeconnectionRegistry, IsDefaultNeedsAllFourValues) {
    struct {
        const char* name;
        std::string seed;
        bool isDefault;
    } cases[] = {
        {"all four, flags binary", kAllSet, true},
        {"all four, flags REG_DWORD", MachineDefault(kName) + Profile(kName) + Flags(kDwordOne, kDwordOne), true},
        {"flags of mixed forms", MachineDefault(kName) + Profile(kName) + Flags(kOne, kDwordOne), true},
        {"a binary flag counts its first byte only",
         MachineDefault(kName) + Profile(kName) + Flags("REG_BINARY 01 01", "REG_BINARY 01"), true},
        {"a REG_DWORD flag counts whole", MachineDefault(kName) + Profile(kName) + Flags("REG_DWORD 257", kDwordOne),
         false},
        {"EnableAutodial 0", MachineDefault(kName) + Profile(kName) + Flags("REG_BINARY 00 00 00 00", kOne), false},
        {"NoNetAutodial 0", MachineDefault(kName) + Profile(kName) + Flags(kDwordOne, "REG_DWORD 0"), false},
        {"NoNetAutodial missing", MachineDefault(kName) + Profile(kName) + Flags(kOne, ""), false},
        {"a binary flag of no data", MachineDefault(kName) + Profile(kName) + Flags(kOne, "REG_BINARY hex:"), false},
        {"profile in other letter case",
         MachineDefault(kName) + Profile("REG_SZ \"ruvozava corvala 1.3.0\"") + Flags(kOne, kOne), false},
        {"profile missing", MachineDefault(kName) + Flags(kOne, kOne), false},
        {"machine-wide default names another entry",
         MachineDefault("REG_SZ \"Other ISP\"") + Profile(kName) + Flags(kOne, kOne), false},
        {"machine-wide default missing: the per-user one is not asked",
         MachineDefault("") + UserDefault(kName) + Profile(kName) + Flags(kOne, kOne), false},
        {"machine-wide default unreadable: the per-user one is asked",
         MachineDefault("REG_DWORD 1") + UserDefault(kName) + Profile(kName) + Flags(kOne, kOne), true},
        {"machine-wide default unreadable, no per-user one",
         MachineDefault("REG_BINARY 52 00") + Profile(kName) + Flags(kOne, kOne), false},
        {"an expandable string reads as text",
         MachineDefault("REG_EXPAND_SZ \"Ruvozava Corvala 1.3.0\"") + Profile(kName) + Flags(kOne, kOne), true},
    };
    for (const auto& c : cases) {
        TempMachine m;
        SeedRegistry(c.seed);
        TIEConnection ie(TServices(), nullptr, nullptr);
        EXPECT_EQ(ie.IsDefault(kEntry), c.isDefault) << c.name;
        EXPECT_FALSE(ie.IsDefault(kEntry + " ")) << c.name;
    }
}

TEST(IeconnectionRegistry, IsDefaultErrorsReachTheCaller) {
    struct {
        const char* name;
        std::string seed;
        std::string later;  // applied after construction, when the flag forms are fixed
    } cases[] = {
        {"profile not text", MachineDefault(kName) + Profile("REG_DWORD 1") + Flags(kOne, kOne), ""},
        {"per-user default not text either", MachineDefault("REG_DWORD 1") + UserDefault("REG_DWORD 1"), ""},
        {"missing when built, a number later", MachineDefault(kName) + Profile(kName), Flags(kDwordOne, kDwordOne)},
        {"a number when built, binary later", kAllSet + Flags(kDwordOne, kDwordOne), Flags(kOne, kOne)},
        {"a binary flag over 255 bytes", MachineDefault(kName) + Profile(kName) + Flags(kOne, LongFlag()), ""},
    };
    for (const auto& c : cases) {
        TempMachine m;
        SeedRegistry(c.seed);
        TIEConnection ie(TServices(), nullptr, nullptr);
        if (!c.later.empty()) SeedRegistry(c.later);
        EXPECT_THROW(ie.IsDefault(kEntry), ERegistryException) << c.name;
    }
}

TEST(IeconnectionRegistry, SetDefaultWritesTheFourValuesInTheFormsFoundAtConstruction) {
    struct {
        const char* name;
        std::string seed;
        std::string later;  // applied after construction
        DWORD enableType, noNetType;
    } cases[] = {
        {"empty store: flags as 4 bytes", "", "", REG_BINARY, REG_BINARY},
        {"REG_DWORD flags stay REG_DWORD", Flags("REG_DWORD 0", "REG_DWORD 0"), "", REG_DWORD, REG_DWORD},
        {"mixed forms kept", Flags("REG_DWORD 0", "REG_BINARY 00 00 00 00"), "", REG_DWORD, REG_BINARY},
        {"a text flag becomes 4 bytes", Flags("REG_SZ \"0\"", "REG_BINARY 00"), "", REG_BINARY, REG_BINARY},
        {"forms are those of construction", "", Flags("REG_DWORD 0", "REG_DWORD 0"), REG_BINARY, REG_BINARY},
        {"an older entry is replaced", MachineDefault("REG_SZ \"Old\"") + Profile("REG_SZ \"Old\""), "", REG_BINARY,
         REG_BINARY},
    };
    for (const auto& c : cases) {
        TempMachine m;
        if (!c.seed.empty()) SeedRegistry(c.seed);
        TIEConnection ie(TServices(), nullptr, nullptr);
        if (!c.later.empty()) SeedRegistry(c.later);
        ie.SetDefault(kEntry);
        EXPECT_EQ(Stored(RegRoot::LocalMachine, kMachineAutoDial, "DefaultInternet"), Sz("DefaultInternet", kEntry))
            << c.name;
        EXPECT_EQ(Stored(RegRoot::CurrentUser, "RemoteAccess", "InternetProfile"), Sz("InternetProfile", kEntry))
            << c.name;
        EXPECT_EQ(Stored(RegRoot::CurrentUser, kSettings, "EnableAutodial"), FlagOne("EnableAutodial", c.enableType))
            << c.name;
        EXPECT_EQ(Stored(RegRoot::CurrentUser, kSettings, "NoNetAutodial"), FlagOne("NoNetAutodial", c.noNetType))
            << c.name;
        EXPECT_EQ(Stored(RegRoot::CurrentUser, kUserAutoDial, "DefaultInternet"), kMissing) << c.name;
        // A new object finds the forms just written.
        TIEConnection again(TServices(), nullptr, nullptr);
        EXPECT_TRUE(again.IsDefault(kEntry)) << c.name;
    }
}

TEST(IeconnectionRegistry, WithoutRightsOnHklmTheDefaultLandsPerUserAndIsNeverSeen) {
    for (bool machineValue : {false, true}) {
        TempMachine m;
        if (machineValue) SeedRegistry(kAllSet);
        m.writeMachineFile("registry-access.txt", "read HKEY_LOCAL_MACHINE\n");
        TIEConnection ie(TServices(), nullptr, nullptr);
        // Full access is asked for to read too, so even a machine-wide value that names the
        // entry is not seen.
        EXPECT_FALSE(ie.IsDefault(kEntry)) << machineValue;
        ie.SetDefault(kEntry);
        EXPECT_EQ(Stored(RegRoot::CurrentUser, kUserAutoDial, "DefaultInternet"), Sz("DefaultInternet", kEntry))
            << machineValue;
        EXPECT_EQ(Stored(RegRoot::LocalMachine, kMachineAutoDial, "DefaultInternet"),
                  machineValue ? Sz("DefaultInternet", kEntry) : kMissing)
            << machineValue;
        EXPECT_EQ(Stored(RegRoot::CurrentUser, "RemoteAccess", "InternetProfile"), Sz("InternetProfile", kEntry));
        EXPECT_EQ(Stored(RegRoot::CurrentUser, kSettings, "EnableAutodial"), FlagOne("EnableAutodial", REG_BINARY));
        EXPECT_FALSE(ie.IsDefault(kEntry)) << machineValue;
    }
}

TEST(IeconnectionRegistry, AUserWriteThatFailsReachesTheCaller) {
    TempMachine m;
    m.writeMachineFile("registry-access.txt", "read HKEY_CURRENT_USER\n");
    TIEConnection ie(TServices(), nullptr, nullptr);
    EXPECT_THROW(ie.SetDefault(kEntry), ERegistryException);
    // The machine-wide value came first and stays.
    EXPECT_EQ(Stored(RegRoot::LocalMachine, kMachineAutoDial, "DefaultInternet"), Sz("DefaultInternet", kEntry));
    EXPECT_EQ(Stored(RegRoot::CurrentUser, "RemoteAccess", "InternetProfile"), kMissing);
}
