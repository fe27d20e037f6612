// The chosen modem's dial-tone setting in the modem device class.
#include "connection/Ieconnection.h"
#include "settings/Conf.h"
#include "settings/Log.h"

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
const AnsiString kClass9x = "System\\CurrentControlSet\\Services\\Class\\Modem";
const AnsiString kClassNT = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const AnsiString kModel = "USR 56K";

// A machine with the dial-up service, one modem, and the settings choosing `chosen`.
struct ModemMachine {
    TempMachine m;
    TLogger log;
    std::unique_ptr<TConf> conf;
    explicit ModemMachine(const AnsiString& chosen = kModel) {
        m.installDialUpService();
        m.writeMachineFile("devices.txt", "modem\tUSR 56K\n");
        conf = std::make_unique<TConf>(TServices{.log = &log});
        conf->SetModem(chosen);
    }
    TServices services() { return {.log = &log, .conf = conf.get()}; }
};

// A "Default" block of `size` bytes with byte 17 = `byte17` when it fits. Byte 16 has the
// bit 0x02 set, which never counts.
std::string Block(int size, int byte17) {
    std::string bytes;
    for (int i = 0; i < size; ++i) bytes += char(i == 17 ? byte17 : i == 16 ? 0x02 : 0x10 + i);
    return bytes;
}

std::string Hex(const std::string& bytes) {
    std::string out = "hex:";
    for (unsigned char b : bytes) out += Format(" %02X", b);
    return out;
}

// A modem subkey; `block` null: no "Default"; `userInit` null: no "UserInit".
std::string Modem(const AnsiString& classKey, const char* subkey, const char* model, const std::string* block,
                  const char* userInit) {
    std::string seed = "[HKLM\\" + classKey + "\\" + subkey + "]\n\"Model\" = REG_SZ \"" + model + "\"\n";
    if (block) seed += "\"Default\" = REG_BINARY " + Hex(*block) + "\n";
    if (userInit) seed += "\"UserInit\" = REG_SZ \"" + std::string(userInit) + "\"\n";
    return seed;
}

RegValue Stored(const AnsiString& key, const AnsiString& name) {
    RegValue v;
    if (!GetMachineRegistryValue(RegRoot::LocalMachine, key, name, v)) return {"(missing)", REG_NONE, {}};
    return v;
}
RegValue Binary(const AnsiString& name, const std::string& bytes) { return {name, REG_BINARY, bytes}; }
RegValue Sz(const AnsiString& name, const AnsiString& text) { return {name, REG_SZ, text + std::string(1, '\0')}; }
}  // namespace

TEST(IeconnectionModem, WaitForDialToneTruthTable) {
    struct {
        const char* name;
        int blockSize;
        int byte17;
        const char* userInit;
        bool waits;
    } cases[] = {
        {"blind bit and ATX3", 20, 0x02, "ATX3", false},
        {"blind bit among others and X3 inside a longer command", 40, 0x0F, "AT&FX3M0", false},
        {"blind bit, command without X3", 20, 0x02, "AT&F", true},
        {"blind bit, x3 in lower case", 20, 0x02, "atx3", true},
        {"blind bit, no UserInit", 20, 0x02, nullptr, true},
        {"bit clear, ATX3", 20, 0xFD, "ATX3", true},
        {"a block of 18 bytes holds the bit", 18, 0x02, "ATX3", false},
        {"a block of 17 bytes reads the bit as clear", 17, 0x02, "ATX3", true},
        {"no Default", -1, 0, "ATX3", true},
    };
    for (const auto& c : cases) {
        ModemMachine mm;
        std::string block = Block(c.blockSize, c.byte17);
        SeedRegistry(Modem(kClass9x, "0000", "USR 56K", c.blockSize < 0 ? nullptr : &block, c.userInit));
        TIEConnection ie(mm.services(), nullptr, nullptr);
        EXPECT_EQ(ie.GetWaitDialTone(), c.waits) << c.name;
    }
}

TEST(IeconnectionModem, SetWaitDialToneChangesOneBitAndTheCommand) {
    struct {
        const char* name;
        int blockSize;  // -1: no Default value
        int byte17;
        const char* userInit;
        bool wait;
        int byte17After;
        const char* userInitAfter;
    } cases[] = {
        {"to blind dialling", 20, 0x01, "AT&F", false, 0x03, "ATX3"},
        {"already blind", 20, 0x02, "ATX3", false, 0x02, "ATX3"},
        {"back to waiting empties any command", 20, 0x03, "AT&FX3", true, 0x01, ""},
        {"waiting stays waiting", 20, 0x00, nullptr, true, 0x00, ""},
        {"the longest block handled", 255, 0x00, "ATM0", false, 0x02, "ATX3"},
        {"a short block is written back unchanged", 17, 0x00, "ATM0", false, -1, "ATX3"},
        {"an empty block stays empty", 0, 0x00, nullptr, false, -1, "ATX3"},
        {"no Default: an empty binary value is stored", -1, 0x00, "AT", false, -1, "ATX3"},
    };
    for (const auto& c : cases) {
        ModemMachine mm;
        std::string block = Block(std::max(c.blockSize, 0), c.byte17);
        SeedRegistry(Modem(kClass9x, "0000", "USR 56K", c.blockSize < 0 ? nullptr : &block, c.userInit));
        TIEConnection ie(mm.services(), nullptr, nullptr);
        ie.SetWaitDialTone(c.wait);
        std::string after = c.blockSize < 0 ? std::string() : block;
        if (c.byte17After >= 0) after[17] = char(c.byte17After);
        EXPECT_EQ(Stored(kClass9x + "\\0000", "Default"), Binary("Default", after)) << c.name;
        EXPECT_EQ(Stored(kClass9x + "\\0000", "UserInit"), Sz("UserInit", c.userInitAfter)) << c.name;
        EXPECT_EQ(Stored(kClass9x + "\\0000", "Model"), Sz("Model", kModel)) << c.name;
        EXPECT_EQ(ie.GetWaitDialTone(), c.wait || c.blockSize < 18) << c.name;
    }
}

TEST(IeconnectionModem, TheModemIsFoundByModelUnderEitherClassKey) {
    const std::string waiting = Block(20, 0x00);
    const std::string blind = Block(20, 0x02);
    struct {
        const char* name;
        std::string seed;
        AnsiString changed;    // the subkey switched to blind dialling
        AnsiString untouched;  // a subkey left as it was ("" for none)
    } cases[] = {
        {"Windows 9x class key",
         Modem(kClass9x, "0000", "Other", &waiting, "AT") + Modem(kClass9x, "0001", "USR 56K", &waiting, "AT"),
         kClass9x + "\\0001", kClass9x + "\\0000"},
        {"NT class key",
         Modem(kClassNT, "0000", "USR 56K", &waiting, "AT") + "[HKLM\\" + kClassNT + "\\Properties]\n",
         kClassNT + "\\0000", ""},
        {"the 9x key comes first when both exist",
         Modem(kClassNT, "0000", "USR 56K", &waiting, "AT") + Modem(kClass9x, "0000", "USR 56K", &waiting, "AT"),
         kClass9x + "\\0000", kClassNT + "\\0000"},
        {"two subkeys of the model: the last listed wins",
         Modem(kClass9x, "0003", "USR 56K", &waiting, "AT") + Modem(kClass9x, "0001", "USR 56K", &waiting, "AT"),
         kClass9x + "\\0001", kClass9x + "\\0003"},
        {"the model is compared with its case",
         Modem(kClass9x, "0000", "usr 56k", &blind, "ATX3") + Modem(kClass9x, "0001", "USR 56K", &waiting, "AT"),
         kClass9x + "\\0001", kClass9x + "\\0000"},
    };
    for (const auto& c : cases) {
        ModemMachine mm;
        SeedRegistry(c.seed);
        RegValue untouchedBefore = c.untouched.empty() ? RegValue{} : Stored(c.untouched, "Default");
        TIEConnection ie(mm.services(), nullptr, nullptr);
        EXPECT_TRUE(ie.GetWaitDialTone()) << c.name;
        ie.SetWaitDialTone(false);
        EXPECT_EQ(Stored(c.changed, "Default"), Binary("Default", blind)) << c.name;
        EXPECT_EQ(Stored(c.changed, "UserInit"), Sz("UserInit", "ATX3")) << c.name;
        if (!c.untouched.empty()) {
            EXPECT_EQ(Stored(c.untouched, "Default"), untouchedBefore) << c.name;
        }
        EXPECT_FALSE(ie.GetWaitDialTone()) << c.name;
    }
}

TEST(IeconnectionModem, WhenNoSubkeyMatchesEveryModemIsJudgedAndSwitched) {
    const std::string waiting = Block(20, 0x00);
    const std::string blind = Block(20, 0x02);
    struct {
        const char* name;
        std::string seed;
        bool waits;
    } cases[] = {
        {"one of two waits",
         Modem(kClass9x, "0000", "A", &blind, "ATX3") + Modem(kClass9x, "0001", "B", &waiting, "AT"), true},
        {"every one dials blind",
         Modem(kClass9x, "0000", "A", &blind, "ATX3") + Modem(kClass9x, "0001", "B", &blind, "AT&FX3"), false},
        {"a class key without subkeys", "[HKLM\\" + kClass9x + "]\n", false},
    };
    for (const auto& c : cases) {
        ModemMachine mm("Gone Modem");
        SeedRegistry(c.seed);
        TIEConnection ie(mm.services(), nullptr, nullptr);
        EXPECT_EQ(ie.GetWaitDialTone(), c.waits) << c.name;
        // What the main window does at every start.
        if (ie.GetWaitDialTone()) ie.SetWaitDialTone(false);
        std::string after = RegistrySnapshot();
        EXPECT_FALSE(ie.GetWaitDialTone()) << c.name;
        for (const char* subkey : {"0000", "0001"}) {
            if (Stored(kClass9x + "\\" + subkey, "Model").type == REG_NONE) continue;
            EXPECT_EQ(Stored(kClass9x + "\\" + subkey, "Default"), Binary("Default", blind)) << c.name << subkey;
        }
        // The next start finds nothing to change.
        TIEConnection next(mm.services(), nullptr, nullptr);
        if (next.GetWaitDialTone()) next.SetWaitDialTone(false);
        EXPECT_EQ(RegistrySnapshot(), after) << c.name;
    }
}

TEST(IeconnectionModem, NoClassKeyOrNoRightsOnHklmChangesNothing) {
    const std::string waiting = Block(20, 0x00);
    struct {
        const char* name;
        std::string seed;
        const char* access;
    } cases[] = {
        {"no class key", "[HKLM\\System\\CurrentControlSet\\Services\\Class\\Net\\0000]\n", nullptr},
        {"HKLM only readable", Modem(kClass9x, "0000", "USR 56K", &waiting, "AT"), "read HKEY_LOCAL_MACHINE\n"},
        {"NT class key only readable", Modem(kClassNT, "0000", "USR 56K", &waiting, "AT"),
         "read HKLM\\SYSTEM\\CurrentControlSet\\Control\n"},
    };
    for (const auto& c : cases) {
        ModemMachine mm;
        SeedRegistry(c.seed);
        if (c.access) mm.m.writeMachineFile("registry-access.txt", c.access);
        std::string before = RegistrySnapshot();
        TIEConnection ie(mm.services(), nullptr, nullptr);
        EXPECT_FALSE(ie.GetWaitDialTone()) << c.name;
        ie.SetWaitDialTone(false);
        ie.SetWaitDialTone(true);
        EXPECT_EQ(RegistrySnapshot(), before) << c.name;
    }
}

TEST(IeconnectionModem, RegistryErrorsReachTheCaller) {
    std::string tooLong = Block(256, 0x02);
    struct {
        const char* name;
        std::string seed;
        bool setRaises;  // SetWaitDialTone reads the block and the models, not UserInit
    } cases[] = {
        {"Default over 255 bytes", Modem(kClass9x, "0000", "USR 56K", &tooLong, "ATX3"), true},
        {"Default not binary", Modem(kClass9x, "0000", "USR 56K", nullptr, "ATX3") + "\"Default\" = REG_DWORD 512\n",
         true},
        {"UserInit not text", Modem(kClass9x, "0000", "USR 56K", nullptr, nullptr) + "\"UserInit\" = REG_DWORD 3\n",
         false},
        {"a Model not text",
         Modem(kClass9x, "0000", "USR 56K", nullptr, nullptr) + "[HKLM\\" + kClass9x +
             "\\0001]\n\"Model\" = REG_BINARY 55\n",
         true},
    };
    for (const auto& c : cases) {
        ModemMachine mm;
        SeedRegistry(c.seed);
        std::string before = RegistrySnapshot();
        TIEConnection ie(mm.services(), nullptr, nullptr);
        EXPECT_THROW(ie.GetWaitDialTone(), ERegistryException) << c.name;
        if (c.setRaises) {
            EXPECT_THROW(ie.SetWaitDialTone(false), ERegistryException) << c.name;
            EXPECT_EQ(RegistrySnapshot(), before) << c.name;
        } else {
            ie.SetWaitDialTone(false);
            EXPECT_EQ(Stored(kClass9x + "\\0000", "UserInit"), Sz("UserInit", "ATX3")) << c.name;
        }
    }
}
