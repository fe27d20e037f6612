#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include "StoredKeys.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstring>
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
    for (const char* name :
         {"Software\\Zeta", "Software\\alpha", "Software\\Mid", "Software\\ZETA\\Sub", "Software\\Ação"}) {
        ASSERT_TRUE(reg.OpenKey(Utf8ToAnsi(name), true)) << name;
        reg.CloseKey();
    }
    ASSERT_TRUE(reg.OpenKey("SOFTWARE", false));
    TStringList names;
    reg.GetKeyNames(&names);
    EXPECT_EQ(Lines(names), (std::vector<AnsiString>{"Zeta", "alpha", "Mid", "Ação"_a}));
    struct {
        const char* path;
        bool opens;
    } opens[] = {
        {"\\SOFTWARE\\zeta\\SUB", true},
        {"\\Software\\AÇÃO", true},  // accented letters compare without case too
        {"\\Software\\Zeta\\Other", false},
    };
    for (const auto& o : opens) {
        TRegistry probe;
        EXPECT_EQ(probe.OpenKey(Utf8ToAnsi(o.path), false), o.opens) << o.path;
    }
    // Relative to the open key, or from the root with a leading "\".
    ASSERT_TRUE(reg.OpenKey("zeta", false));
    reg.GetKeyNames(&names);
    EXPECT_EQ(Lines(names), std::vector<AnsiString>{"Sub"});
    ASSERT_TRUE(reg.OpenKey("\\Software\\Mid", false));
    reg.GetKeyNames(&names);
    EXPECT_EQ(names.Count(), 0);
    EXPECT_FALSE(reg.OpenKey("zeta", false));  // Software\Mid\zeta
}

TEST(Registry, WritesStoreTheClassLibrarysTypesAndExactSizes) {
    TempMachine m;
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Vyn\\Ruvozava", true));
    const char bytes[] = {1, 0, 0, 0};
    reg.WriteString("text", "Não"_a);
    reg.WriteString("empty", "");
    reg.WriteInteger("number", -2);
    reg.WriteBinaryData("block", bytes, 4);
    reg.WriteBinaryData("no bytes", bytes, 0);
    struct {
        const char* name;
        long type;
        TRegDataType regData;
        int size;
        std::string data;
    } cases[] = {
        {"text", REG_SZ, rdString, 4, "N\xE3o" + std::string(1, '\0')},
        {"empty", REG_SZ, rdString, 1, std::string(1, '\0')},
        {"number", REG_DWORD, rdInteger, 4, "\xFE\xFF\xFF\xFF"},
        {"block", REG_BINARY, rdBinary, 4, std::string(bytes, 4)},
        {"no bytes", REG_BINARY, rdBinary, 0, ""},
    };
    std::vector<AnsiString> valueNames = StoredValueNames(RegRoot::CurrentUser, "Software\\Vyn\\Ruvozava");
    ASSERT_EQ(valueNames.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(valueNames[i], c.name);
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
    TRegDataInfo missing{rdString, 9};
    EXPECT_FALSE(reg.GetDataInfo("missing", missing));
    EXPECT_EQ(missing.RegData, rdUnknown);
    EXPECT_EQ(missing.DataSize, 0);
    EXPECT_EQ(reg.GetDataSize("missing"), -1);
    EXPECT_EQ(reg.GetValueType("missing"), -1);
    EXPECT_FALSE(reg.ValueExists("missing"));
    // Overwriting keeps the value's place and its name's case.
    reg.WriteInteger("TEXT", 5);
    EXPECT_EQ(StoredValueNames(RegRoot::CurrentUser, "Software\\Vyn\\Ruvozava")[0], "text");
    TRegDataInfo info;
    ASSERT_TRUE(reg.GetDataInfo("text", info));
    EXPECT_EQ(info.RegData, rdInteger);
}

TEST(Registry, ReadsGiveTheDataOrRaiseForAnotherType) {
    TempMachine m;
    SeedRegistry(kValues);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Vyn\\Ruvozava", false));
    // A string of no data and an empty string both read as "", but their sizes differ.
    EXPECT_EQ(reg.GetDataSize("sz no data"), 0);
    EXPECT_EQ(reg.GetDataSize("sz empty"), 1);
    TRegDataInfo info;
    ASSERT_TRUE(reg.GetDataInfo("sz no data", info));
    EXPECT_EQ(info.RegData, rdString);

    using Read = std::function<void(TRegistry&)>;
    char buf[8] = {};
    struct {
        const char* what;
        Read read;
        bool raises;
    } cases[] = {
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
        {"bytes",
         [&](TRegistry& r) {
             EXPECT_EQ(r.ReadBinaryData("binary", buf, 4), 4);
             EXPECT_EQ(buf[3], 4);
         },
         false},
        {"bytes with a name holding \\",
         [&](TRegistry& r) {
             EXPECT_EQ(r.ReadBinaryData("Dial-Up Adapter\\ConnectSpeed", buf, 4), 4);
             EXPECT_EQ(static_cast<unsigned char>(buf[0]), 0x60);
         },
         false},
        {"bytes of an untyped value", [&](TRegistry& r) { EXPECT_EQ(r.ReadBinaryData("none", buf, 4), 1); }, false},
        {"bytes of a list", [&](TRegistry& r) { EXPECT_EQ(r.ReadBinaryData("multi", buf, 8), 5); }, false},
        {"missing bytes", [&](TRegistry& r) { EXPECT_EQ(r.ReadBinaryData("missing", buf, 4), 0); }, false},
        {"bytes past the buffer", [&](TRegistry& r) { r.ReadBinaryData("big binary", buf, 4); }, true},
        {"bytes from a string", [&](TRegistry& r) { r.ReadBinaryData("sz", buf, 4); }, true},
        {"bytes from a number", [&](TRegistry& r) { r.ReadBinaryData("dword", buf, 4); }, true},
    };
    for (auto& c : cases) {
        if (c.raises) EXPECT_THROW(c.read(reg), ERegistryException) << c.what;
        else EXPECT_NO_THROW(c.read(reg)) << c.what;
    }
    // The value name with "\" made no subkey.
    TStringList subkeys;
    reg.GetKeyNames(&subkeys);
    EXPECT_EQ(subkeys.Count(), 0);
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

    TRegistry reader(KEY_READ);
    ASSERT_TRUE(reader.OpenKey("Software\\Vyn\\Ruvozava", false));
    EXPECT_EQ(reader.ReadString("sz"), "abc");
    EXPECT_THROW(reader.WriteString("sz", "x"), ERegistryException);
    EXPECT_THROW(reader.WriteInteger("dword", 1), ERegistryException);
    EXPECT_THROW(reader.WriteBinaryData("binary", "x", 1), ERegistryException);
    EXPECT_FALSE(reader.OpenKey("\\Software\\Vyn\\Other", true));
    EXPECT_TRUE(reader.OpenKey("\\Software\\Vyn", false));

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
    SeedRegistry(
        "[HKLM\\SOFTWARE\\Microsoft\\RAS AutoDial\\Default]\n\"DefaultInternet\" = REG_SZ \"Vyn\"\n"
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

    TRegistry reader(KEY_READ);
    reader.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reader.OpenKey("SOFTWARE\\Microsoft\\RAS AutoDial\\Default", false));
    EXPECT_EQ(reader.ReadString("DefaultInternet"), "Vyn");
    EXPECT_FALSE(reader.OpenKey("\\SAM\\Domains", false));
    EXPECT_TRUE(reader.OpenKey("\\Software", false));

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
    SeedRegistry(
        "[HKEY_DYN_DATA\\PerfStats\\StartStat]\n\"Dial-Up Adapter\\\\ConnectSpeed\" = REG_BINARY 00 00 00 00\n"
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
    std::vector<DynDataRead> expected = {{"PerfStats\\StartStat", counter, 4},
                                         {"PerfStats\\StatData", counter, 4},
                                         {"PerfStats\\StopStat", counter, 4}};
    EXPECT_EQ(DynDataReads(), expected);
    ClearDynDataReads();
    EXPECT_TRUE(DynDataReads().empty());
    // The machine itself publishes the counters.
    SetMachineRegistryValue(RegRoot::DynData, "PerfStats\\StatData", counter, REG_BINARY,
                            std::string("\x10\x27\0\0", 4));
    ASSERT_TRUE(reg.OpenKey("PerfStats\\StatData", false));
    std::int32_t speed = 0;
    reg.ReadBinaryData(counter, &speed, 4);
    EXPECT_EQ(speed, 10000);
}

// The platform's rules under the object: path syntax, sizes, order, rights and keys that go.
class RegistryRules : public ::testing::Test {
protected:
    void SetUp() override {
        SeedRegistry(
            "[HKLM\\System\\CurrentControlSet\\Services\\Class\\Net\\0000]\n"
            "\"AdapterName\" = REG_SZ \"MS$PPP\"\n"
            "\"Bytes\" = REG_BINARY 01 02 03 04 05 06\n");
    }
    TempMachine machine_;
};

TEST_F(RegistryRules, SizesAreToldAndOnlyABufferThatFitsIsFilled) {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(
        reg.OpenKey("system\\currentcontrolset\\services\\class\\net\\0000\\", false));  // a trailing "\" is allowed
    EXPECT_EQ(reg.GetValueType("Bytes"), REG_BINARY);
    EXPECT_EQ(reg.GetDataSize("Bytes"), 6);
    unsigned char buf[8];
    std::memset(buf, 0xAA, sizeof buf);
    EXPECT_THROW(reg.ReadBinaryData("Bytes", buf, 4), ERegistryException);
    EXPECT_EQ(buf[0], 0xAA);
    EXPECT_EQ(reg.ReadBinaryData("Bytes", buf, 8), 6);
    EXPECT_EQ(buf[5], 6);
    EXPECT_EQ(buf[6], 0xAA);
    EXPECT_EQ(reg.ReadBinaryData("Missing", buf, 8), 0);
}

TEST_F(RegistryRules, PathsThePlatformRefusesDoNotOpen) {
    struct {
        HKEY root;
        const char* path;
        bool opens, creates;
    } opens[] = {
        {HKEY_LOCAL_MACHINE, "System\\Missing", false, true},
        {HKEY_LOCAL_MACHINE, "\\\\System", false, false},  // "\" from the root, then an empty name
        {HKEY_LOCAL_MACHINE, "System\\\\CurrentControlSet", false, false},
        {HKEY_LOCAL_MACHINE, "System\\Current\x01Set", false, false},
        {reinterpret_cast<HKEY>(std::uintptr_t{0x80000000u}), "x", false, false},  // HKEY_CLASSES_ROOT
        {HKEY_LOCAL_MACHINE, "", true, true},
    };
    for (const auto& o : opens) {
        TRegistry reg(KEY_READ);
        reg.SetRootKey(o.root);
        EXPECT_EQ(reg.OpenKey(o.path, false), o.opens) << o.path;
        EXPECT_EQ(reg.OpenKey(o.path, true), o.creates) << o.path;
    }
    EXPECT_EQ(StoredSubkeyNames(RegRoot::LocalMachine, "System"),
              (std::vector<AnsiString>{"CurrentControlSet", "Missing"}));
    // A key created again keeps its first spelling; a relative one goes below the open key.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("A\\B", true));
    ASSERT_TRUE(reg.OpenKey("\\a\\b", true));
    ASSERT_TRUE(reg.OpenKey("C", true));
    EXPECT_EQ(StoredSubkeyNames(RegRoot::CurrentUser, ""), std::vector<AnsiString>{"A"});
    EXPECT_EQ(StoredSubkeyNames(RegRoot::CurrentUser, "a"), std::vector<AnsiString>{"B"});
    EXPECT_EQ(StoredSubkeyNames(RegRoot::CurrentUser, "a\\b"), std::vector<AnsiString>{"C"});
}

TEST_F(RegistryRules, AKeyDeletedWhileOpenHasNoValuesAndTakesNoWrites) {
    SeedRegistry("[HKCU\\A\\B\\C]\n\"v\" = REG_DWORD 1\n[HKCU\\A\\D]\n[HKCU\\Keep]\n@ = REG_SZ \"x\"\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("A\\B\\C", false));
    ASSERT_TRUE(reg.ValueExists("v"));
    ASSERT_TRUE(RemoveStoredKey(RegRoot::CurrentUser, "A"));
    EXPECT_FALSE(reg.ValueExists("v"));
    EXPECT_EQ(reg.GetValueType("v"), -1);
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("v"), ERegistryException);
    EXPECT_FALSE(reg.OpenKey("D", true));  // nor a key below it
    EXPECT_EQ(StoredSubkeyNames(RegRoot::CurrentUser, ""), std::vector<AnsiString>{"Keep"});
    EXPECT_TRUE(reg.OpenKey("\\Keep", false));
    EXPECT_EQ(reg.ReadString(""), "x");
}

TEST_F(RegistryRules, SubkeysAndValuesListInTheOrderTheyWereAdded) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("E", true));
    for (const char* name : {"Long name", "b", "A"}) {
        TRegistry sub;
        ASSERT_TRUE(sub.OpenKey(AnsiString("E\\") + name, true));
        reg.WriteBinaryData(name, name, static_cast<int>(std::strlen(name)));
    }
    TStringList keys;
    reg.GetKeyNames(&keys);
    std::vector<AnsiString> expected = {"Long name", "b", "A"};
    EXPECT_EQ(Lines(keys), expected);
    EXPECT_EQ(StoredValueNames(RegRoot::CurrentUser, "E"), expected);
    char data[16];
    for (const auto& name : expected)
        EXPECT_EQ(std::string(data, static_cast<std::size_t>(reg.ReadBinaryData(name, data, sizeof data))), name);
}

TEST_F(RegistryRules, TheRightsAKeyWasOpenedWithAreChecked) {
    const AnsiString net = "System\\CurrentControlSet\\Services\\Class\\Net";
    TRegistry reader(KEY_QUERY_VALUE);
    reader.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reader.OpenKey(net + "\\0000", false));
    EXPECT_EQ(reader.ReadString("AdapterName"), "MS$PPP");
    EXPECT_THROW(reader.WriteBinaryData("x", nullptr, 0), ERegistryException);
    // Subkeys are counted but not named without the right to enumerate them.
    ASSERT_TRUE(reader.OpenKey("\\" + net, false));
    TStringList names;
    reader.GetKeyNames(&names);
    EXPECT_EQ(Lines(names), std::vector<AnsiString>{""});
    TRegistry lister(KEY_READ);
    lister.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(lister.OpenKey(net, false));
    lister.GetKeyNames(&names);
    EXPECT_EQ(Lines(names), std::vector<AnsiString>{"0000"});

    machine_.writeMachineFile("registry-access.txt", "none HKLM\\System\n");
    EXPECT_FALSE(lister.OpenKey("\\System", false));
    lister.GetKeyNames(&names);  // the key opened before keeps its rights
    EXPECT_EQ(names.Count(), 1);
    machine_.writeMachineFile("registry-access.txt", "bogus HKLM\n");  // a broken rules file denies all
    TRegistry user(KEY_READ);
    EXPECT_FALSE(user.OpenKey("", false));
}
