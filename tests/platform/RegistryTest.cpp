#include "platform/Registry.h"
#include "platform/RegistryStore.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::vector<AnsiString> Lines(const TStrings& s) {
    std::vector<AnsiString> out;
    for (int i = 0; i < s.Count(); ++i) out.push_back(s[i]);
    return out;
}

const char kValues[] = R"([HKEY_CURRENT_USER\Software\Vyn\Ruvozava]
"sz" = REG_SZ "abc"
"sz empty" = REG_SZ ""
"sz no data" = REG_SZ hex:
"expand" = REG_EXPAND_SZ "%TEMP%"
"dword" = REG_DWORD 0x00010002
"short dword" = REG_DWORD hex: 07 00
"binary" = REG_BINARY 01 02 03 04
"big binary" = REG_BINARY 01 02 03 04 05
"none" = REG_NONE 09
"multi" = REG_MULTI_SZ "a", "b"
"Dial-Up Adapter\\ConnectSpeed" = REG_BINARY 60 EA 00 00
)";

}  // namespace

TEST(Registry, KeysIgnoreCaseKeepTheirSpellingAndListInOrderOfCreation) {
    TempMachine m;
    TRegistry reg;
    for (const char* name : {"Software\\Zeta", "Software\\alpha", "Software\\Mid", "Software\\ZETA\\Sub", "Software\\Ação"}) {
        ASSERT_TRUE(reg.OpenKey(Utf8ToAnsi(name), true)) << name;
        reg.CloseKey();
    }
    ASSERT_TRUE(reg.OpenKey("SOFTWARE", false));
    TStringList names;
    reg.GetKeyNames(&names);
    EXPECT_EQ(Lines(names), (std::vector<AnsiString>{"Zeta", "alpha", "Mid", "Ação"_a}));
    EXPECT_TRUE(reg.KeyExists("zeta\\SUB"));
    EXPECT_TRUE(reg.KeyExists("AÇÃO"_a));  // accented letters compare without case too
    EXPECT_FALSE(reg.KeyExists("Zeta\\Other"));
    // Relative to the open key, or from the root with a leading "\".
    ASSERT_TRUE(reg.OpenKey("zeta", false));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\zeta");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Mid", false));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Mid");
}

TEST(Registry, WritesStoreTheClassLibrarysTypesAndExactSizes) {
    TempMachine m;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Vyn\\Ruvozava", true));
    const char bytes[] = {1, 0, 0, 0};
    reg.WriteString("text", "Não"_a);
    reg.WriteString("empty", "");
    reg.WriteExpandString("expand", "%TEMP%");
    reg.WriteInteger("number", -2);
    reg.WriteBool("flag", true);
    reg.WriteBinaryData("block", bytes, 4);
    reg.WriteBinaryData("no bytes", bytes, 0);
    struct { const char* name; long type; TRegDataType regData; int size; std::string data; } cases[] = {
        {"text", REG_SZ, rdString, 4, "N\xE3o" + std::string(1, '\0')},
        {"empty", REG_SZ, rdString, 1, std::string(1, '\0')},
        {"expand", REG_EXPAND_SZ, rdExpandString, 7, std::string("%TEMP%", 7)},
        {"number", REG_DWORD, rdInteger, 4, "\xFE\xFF\xFF\xFF"},
        {"flag", REG_DWORD, rdInteger, 4, std::string("\x01\0\0\0", 4)},
        {"block", REG_BINARY, rdBinary, 4, std::string(bytes, 4)},
        {"no bytes", REG_BINARY, rdBinary, 0, ""},
    };
    TStringList valueNames;
    reg.GetValueNames(&valueNames);
    ASSERT_EQ(valueNames.Count(), static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(valueNames[static_cast<int>(i)], c.name);
        TRegDataInfo info;
        ASSERT_TRUE(reg.GetDataInfo(c.name, info)) << c.name;
        EXPECT_EQ(info.RegData, c.regData) << c.name;
        EXPECT_EQ(info.DataSize, c.size) << c.name;
        EXPECT_EQ(reg.GetValueType(c.name), c.type) << c.name;
        RegValue stored;
        ASSERT_TRUE(GetMachineRegistryValue(RegRoot::CurrentUser, "software\\vyn\\ruvozava", c.name, stored));
        EXPECT_EQ(stored.data, c.data) << c.name;
    }
    EXPECT_EQ(reg.ReadString("text"), "Não"_a);
    EXPECT_EQ(reg.ReadInteger("number"), -2);
    EXPECT_TRUE(reg.ReadBool("flag"));
    TRegDataInfo missing{rdString, 9};
    EXPECT_FALSE(reg.GetDataInfo("missing", missing));
    EXPECT_EQ(missing.RegData, rdUnknown);
    EXPECT_EQ(missing.DataSize, 0);
    EXPECT_EQ(reg.GetDataSize("missing"), -1);
    EXPECT_EQ(reg.GetValueType("missing"), -1);
    EXPECT_FALSE(reg.ValueExists("missing"));
    // Overwriting keeps the value's place; deleting removes it.
    reg.WriteInteger("TEXT", 5);
    reg.GetValueNames(&valueNames);
    EXPECT_EQ(valueNames[0], "text");
    EXPECT_EQ(reg.GetDataType("text"), rdInteger);
    EXPECT_TRUE(reg.DeleteValue("Text"));
    EXPECT_FALSE(reg.DeleteValue("text"));
    EXPECT_FALSE(reg.ValueExists("text"));
}

TEST(Registry, ReadsGiveTheDataOrRaiseForAnotherType) {
    TempMachine m;
    SeedRegistry(kValues);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Vyn\\Ruvozava", false));
    // A string of no data and an empty string both read as "", but their sizes differ.
    EXPECT_EQ(reg.GetDataSize("sz no data"), 0);
    EXPECT_EQ(reg.GetDataSize("sz empty"), 1);
    EXPECT_EQ(reg.GetDataType("sz no data"), rdString);

    using Read = std::function<void(TRegistry&)>;
    char buf[8] = {};
    struct { const char* what; Read read; bool raises; } cases[] = {
        {"string", [](TRegistry& r) { EXPECT_EQ(r.ReadString("sz"), "abc"); }, false},
        {"expandable string", [](TRegistry& r) { EXPECT_EQ(r.ReadString("expand"), "%TEMP%"); }, false},
        {"string of no data", [](TRegistry& r) { EXPECT_EQ(r.ReadString("sz no data"), ""); }, false},
        {"missing string", [](TRegistry& r) { EXPECT_EQ(r.ReadString("missing"), ""); }, false},
        {"string from a number", [](TRegistry& r) { r.ReadString("dword"); }, true},
        {"string from bytes", [](TRegistry& r) { r.ReadString("binary"); }, true},
        {"string from a list", [](TRegistry& r) { r.ReadString("multi"); }, true},
        {"number", [](TRegistry& r) { EXPECT_EQ(r.ReadInteger("dword"), 0x10002); }, false},
        {"short number", [](TRegistry& r) { EXPECT_EQ(r.ReadInteger("short dword"), 7); }, false},
        {"number from a string", [](TRegistry& r) { r.ReadInteger("sz"); }, true},
        {"number from 4 bytes", [](TRegistry& r) { r.ReadInteger("binary"); }, true},
        {"number from 5 bytes", [](TRegistry& r) { r.ReadInteger("big binary"); }, true},
        {"missing number", [](TRegistry& r) { r.ReadInteger("missing"); }, true},
        {"bytes", [&](TRegistry& r) { EXPECT_EQ(r.ReadBinaryData("binary", buf, 4), 4); EXPECT_EQ(buf[3], 4); }, false},
        {"bytes with a name holding \\", [&](TRegistry& r) {
             EXPECT_EQ(r.ReadBinaryData("Dial-Up Adapter\\ConnectSpeed", buf, 4), 4);
             EXPECT_EQ(static_cast<unsigned char>(buf[0]), 0x60);
         }, false},
        {"bytes of an untyped value", [&](TRegistry& r) { EXPECT_EQ(r.ReadBinaryData("none", buf, 4), 1); }, false},
        {"bytes of a list", [&](TRegistry& r) { EXPECT_EQ(r.ReadBinaryData("multi", buf, 8), 5); }, false},
        {"missing bytes", [&](TRegistry& r) { EXPECT_EQ(r.ReadBinaryData("missing", buf, 4), 0); }, false},
        {"bytes past the buffer", [&](TRegistry& r) { r.ReadBinaryData("big binary", buf, 4); }, true},
        {"bytes from a string", [&](TRegistry& r) { r.ReadBinaryData("sz", buf, 4); }, true},
        {"bytes from a number", [&](TRegistry& r) { r.ReadBinaryData("dword", buf, 4); }, true},
    };
    for (auto& c : cases) {
        if (c.raises)
            EXPECT_THROW(c.read(reg), ERegistryException) << c.what;
        else
            EXPECT_NO_THROW(c.read(reg)) << c.what;
    }
    // The value name with "\" made no subkey.
    EXPECT_FALSE(reg.HasSubKeys());
}

TEST(Registry, RefusedWritesRaiseAndLeaveTheRegistryWhole) {
    TempMachine m;
    SeedRegistry(kValues);
    m.writeMachineFile("registry-access.txt", "read HKEY_CURRENT_USER\n");
    std::string before = RegistrySnapshot();

    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("Software\\Vyn\\Ruvozava", false));  // asks for full access
    EXPECT_FALSE(reg.OpenKey("Software\\Vyn\\New", true));
    EXPECT_THROW(reg.WriteString("sz", "x"), ERegistryException);  // no key open
    EXPECT_THROW(reg.CreateKey("Software\\Other"), ERegistryException);

    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Vyn\\Ruvozava"));
    EXPECT_EQ(reg.ReadString("sz"), "abc");
    EXPECT_THROW(reg.WriteString("sz", "x"), ERegistryException);
    EXPECT_THROW(reg.WriteInteger("dword", 1), ERegistryException);
    EXPECT_THROW(reg.WriteBinaryData("binary", "x", 1), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue("sz"));
    EXPECT_FALSE(reg.DeleteKey("\\Software\\Vyn\\Ruvozava"));
    // The read access stays with the object, as in the class library.
    EXPECT_EQ(reg.Access(), KEY_READ);
    EXPECT_TRUE(reg.OpenKey("\\Software\\Vyn", false));

    EXPECT_EQ(RegistrySnapshot(), before);
    // A key opened with full access before the rule changed keeps its rights.
    m.writeMachineFile("registry-access.txt", "");
    TRegistry writer;
    ASSERT_TRUE(writer.OpenKey("Software\\Vyn\\Ruvozava", false));
    m.writeMachineFile("registry-access.txt", "read HKEY_CURRENT_USER\n");
    writer.WriteString("sz", "new");
    EXPECT_EQ(writer.ReadString("sz"), "new");
}

TEST(Registry, MachineWhereHklmCanBeReadButNotWritten) {
    TempMachine m;
    SeedRegistry("[HKLM\\SOFTWARE\\Microsoft\\RAS AutoDial\\Default]\n\"DefaultInternet\" = REG_SZ \"Vyn\"\n"
                 "[HKLM\\SAM\\Domains]\n[HKLM\\Software\\Vyn]\n");
    m.writeMachineFile("registry-access.txt",
                       "# a user without rights on the machine's keys\n"
                       "read HKEY_LOCAL_MACHINE\n"
                       "none HKLM\\SAM\n"
                       "full HKEY_LOCAL_MACHINE\\software\\vyn\n");
    TRegistry machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    // Full access is asked for, also to read: the key does not open.
    EXPECT_FALSE(machine.OpenKey("SOFTWARE\\Microsoft\\RAS AutoDial\\Default", false));
    EXPECT_FALSE(machine.OpenKey("SOFTWARE\\Microsoft\\RAS AutoDial\\Default", true));
    EXPECT_THROW(machine.WriteString("DefaultInternet", "x"), ERegistryException);
    ASSERT_TRUE(machine.OpenKeyReadOnly("SOFTWARE\\Microsoft\\RAS AutoDial\\Default"));
    EXPECT_EQ(machine.ReadString("DefaultInternet"), "Vyn");

    TRegistry reader(KEY_READ);
    reader.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(reader.OpenKey("SOFTWARE\\Microsoft\\RAS AutoDial\\Default", false));
    EXPECT_FALSE(reader.KeyExists("\\SAM\\Domains"));
    EXPECT_TRUE(reader.KeyExists("\\Software"));

    TRegistry own;
    own.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(own.OpenKey("Software\\Vyn\\Settings", true));
    own.WriteInteger("x", 1);
    EXPECT_FALSE(own.OpenKey("\\Software\\Other", true));

    TRegistry user;  // HKEY_CURRENT_USER is untouched by the rules
    ASSERT_TRUE(user.OpenKey("Software\\Microsoft\\RAS AutoDial\\Default", true));
    user.WriteString("DefaultInternet", "Vyn");
}

TEST(Registry, DynDataIsReadOnlyAndEveryReadOfDataIsLogged) {
    TempMachine m;
    SeedRegistry("[HKEY_DYN_DATA\\PerfStats\\StartStat]\n\"Dial-Up Adapter\\\\ConnectSpeed\" = REG_BINARY 00 00 00 00\n"
                 "[HKEY_DYN_DATA\\PerfStats\\StatData]\n\"Dial-Up Adapter\\\\ConnectSpeed\" = REG_BINARY 60 EA 00 00\n"
                 "[HKEY_DYN_DATA\\PerfStats\\StopStat]\n\"Dial-Up Adapter\\\\ConnectSpeed\" = REG_BINARY 00 00 00 00\n");
    m.writeMachineFile("registry-access.txt", "full HKEY_DYN_DATA\n");  // cannot lift the read-only rule
    const AnsiString counter = "Dial-Up Adapter\\ConnectSpeed";

    TRegistry all;
    all.SetRootKey(HKEY_DYN_DATA);
    EXPECT_FALSE(all.OpenKey("PerfStats\\StatData", false));

    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_DYN_DATA);
    char scratch[16];
    for (const char* key : {"PerfStats\\StartStat", "PerfStats\\StatData", "PerfStats\\StopStat"}) {
        ASSERT_TRUE(reg.OpenKey(key, false)) << key;
        int size = reg.GetDataSize(counter);  // asking the size reads nothing
        ASSERT_EQ(size, 4);
        EXPECT_EQ(reg.ReadBinaryData(counter, scratch, size), 4);
        EXPECT_EQ(reg.ReadBinaryData("missing", scratch, size), 0);
        EXPECT_THROW(reg.WriteBinaryData(counter, scratch, 4), ERegistryException);
        reg.CloseKey();
    }
    std::vector<DynDataRead> expected = {
        {"PerfStats\\StartStat", counter, 4}, {"PerfStats\\StatData", counter, 4}, {"PerfStats\\StopStat", counter, 4}};
    EXPECT_EQ(DynDataReads(), expected);
    ClearDynDataReads();
    EXPECT_TRUE(DynDataReads().empty());
    // The machine itself publishes the counters.
    SetMachineRegistryValue(RegRoot::DynData, "PerfStats\\StatData", counter, REG_BINARY, std::string("\x10\x27\0\0", 4));
    ASSERT_TRUE(reg.OpenKey("PerfStats\\StatData", false));
    std::int32_t speed = 0;
    reg.ReadBinaryData(counter, &speed, 4);
    EXPECT_EQ(speed, 10000);
}

TEST(Registry, DeleteKeyTakesEverythingBelowIt) {
    TempMachine m;
    SeedRegistry("[HKCU\\A\\B\\C]\n\"v\" = REG_DWORD 1\n[HKCU\\A\\D]\n[HKCU\\Keep]\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("A", false));
    EXPECT_TRUE(reg.DeleteKey("\\A"));
    EXPECT_FALSE(reg.KeyExists("\\A"));
    EXPECT_TRUE(reg.KeyExists("\\Keep"));
    // The open key has gone: its handle reports it.
    EXPECT_FALSE(reg.ValueExists("x"));
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
}
