#include "platform/registry/RegistrySeed.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

namespace {

const char kSeed[] = R"([HKEY_CURRENT_USER\Software\Vyn\Ruvozava]
"discadorbinary" = REG_SZ "C:\\Program Files\\Vyn\\Mirvane.exe"
"empty" = REG_SZ hex:
"blank" = REG_SZ ""
"unterminated" = REG_SZ hex: 41 42
"inner zero" = REG_SZ hex: 41 00 42 00
"Não" = REG_EXPAND_SZ "%WINDIR%\\ação \"q\" \x01"
@ = REG_DWORD 0x00000001
"short dword" = REG_DWORD hex: 01 02 03
"list" = REG_MULTI_SZ "a", "bc"
"odd list" = REG_MULTI_SZ hex: 61 00
"none" = REG_NONE
"custom" = 11 DE AD
"Dial-Up Adapter\\ConnectSpeed" = REG_BINARY 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \
    FF EE

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Net\0003]
"AdapterName" = REG_SZ "MS$PPP"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Net\0003\Empty]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Net\0000]

[HKEY_DYN_DATA\PerfStats\StatData]
"Dial-Up Adapter\\ConnectSpeed" = REG_BINARY 60 EA 00 00
)";

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s += static_cast<char>(c);
    return s;
}

}  // namespace

TEST(RegistrySeed, ValuesHaveTheirExactTypesAndBytes) {
    RegTree tree;
    ParseRegistrySeed(kSeed, tree);
    const RegKey* key = tree.Find(RegRoot::CurrentUser, {"software", "VYN", "ruvozava"});
    ASSERT_NE(key, nullptr);
    struct {
        AnsiString name;
        DWORD type;
        std::string data;
    } cases[] = {
        {"discadorbinary", REG_SZ, std::string("C:\\Program Files\\Vyn\\Mirvane.exe") + '\0'},
        {"empty", REG_SZ, ""},
        {"blank", REG_SZ, std::string(1, '\0')},
        {"unterminated", REG_SZ, "AB"},
        {"inner zero", REG_SZ, std::string("A\0B\0", 4)},
        {"Não"_a, REG_EXPAND_SZ, "%WINDIR%\\ação \"q\" \x01"_a + '\0'},
        {"", REG_DWORD, Bytes({1, 0, 0, 0})},
        {"short dword", REG_DWORD, Bytes({1, 2, 3})},
        {"list", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
        {"odd list", REG_MULTI_SZ, std::string("a\0", 2)},
        {"none", REG_NONE, ""},
        {"custom", 11, Bytes({0xDE, 0xAD})},
        {"Dial-Up Adapter\\ConnectSpeed", REG_BINARY, std::string(16, '\0') + Bytes({0xFF, 0xEE})},
    };
    ASSERT_EQ(key->Values().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const RegValue& v = key->Values()[i];
        EXPECT_EQ(v.name, cases[i].name) << i;
        EXPECT_EQ(v.type, cases[i].type) << cases[i].name;
        EXPECT_EQ(v.data, cases[i].data) << cases[i].name;
    }
    // The name with "\" is a value, not a subkey.
    EXPECT_EQ(key->SubkeyCount(), 0u);
}

TEST(RegistrySeed, FormatReadsBackToTheSameTreeInTheSameOrder) {
    RegTree tree;
    ParseRegistrySeed(kSeed, tree);
    std::string text = FormatRegistrySeed(tree);
    RegTree again;
    ParseRegistrySeed(text, again);
    EXPECT_TRUE(again == tree) << text;
    EXPECT_EQ(FormatRegistrySeed(again), text);
    // Keys keep the order they were met in: 0003 (with its empty subkey) before 0000.
    const RegKey* net = tree.Find(RegRoot::LocalMachine, {"System", "CurrentControlSet", "Services", "Class", "Net"});
    ASSERT_NE(net, nullptr);
    ASSERT_EQ(net->SubkeyCount(), 2u);
    EXPECT_EQ(net->Subkey(0).Name(), "0003");
    EXPECT_EQ(net->Subkey(1).Name(), "0000");
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Net\\0003\\Empty]"),
              std::string::npos);
}

TEST(RegistrySeed, EveryByteOfANameOrTextSurvivesTheRoundTrip) {
    RegTree tree;
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    tree.Create(RegRoot::LocalMachine, {"K"}).SetValue(all, REG_SZ, all + '\0');
    tree.Create(RegRoot::LocalMachine, {"K"}).SetValue("raw", REG_BINARY, std::string(1, '\0') + all);
    RegTree again;
    ParseRegistrySeed(FormatRegistrySeed(tree), again);
    EXPECT_TRUE(again == tree);
}

TEST(RegistrySeed, KeysMergeWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    RegTree tree;
    ParseRegistrySeed(
        "[HKCU\\Software\\Vyn]\n\"A\" = REG_DWORD 1\n"
        "[hkey_current_user\\SOFTWARE\\vyn]\n\"a\" = REG_DWORD 2\n\"b\" = REG_DWORD -1\n",
        tree);
    const RegKey& software = tree.Root(RegRoot::CurrentUser).Subkey(0);
    EXPECT_EQ(software.Name(), "Software");
    ASSERT_EQ(software.SubkeyCount(), 1u);
    const RegKey& vyn = software.Subkey(0);
    EXPECT_EQ(vyn.Name(), "Vyn");
    ASSERT_EQ(vyn.Values().size(), 2u);
    EXPECT_EQ(vyn.Values()[0].name, "A");
    EXPECT_EQ(vyn.Values()[0].data, Bytes({2, 0, 0, 0}));
    EXPECT_EQ(vyn.Values()[1].data, Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(RegistrySeed, MalformedLinesAreRefusedWithTheirNumber) {
    struct {
        const char* text;
        const char* where;
    } cases[] = {
        {"\"a\" = REG_SZ \"x\"\n", "line 1"},    // value before any key
        {"[HKEY_CLASSES_ROOT\\x]\n", "line 1"},  // root not simulated
        {"[HKCU\\a\\\\b]\n", "line 1"},          // empty key name
        {"[HKCU\\a\n", "line 1"},
        {"[HKCU\\a]\n\"v\" REG_SZ \"x\"\n", "line 2"},  // no "="
        {"[HKCU\\a]\n\"v\" = REG_TEXT \"x\"\n", "line 2"},
        {"[HKCU\\a]\n\"v\" = REG_SZ \"x\n", "line 2"},  // unclosed
        {"[HKCU\\a]\n\"v\" = REG_SZ \"x\" \"y\"\n", "line 2"},
        {"[HKCU\\a]\n\"v\" = REG_SZ \"\\q\"\n", "line 2"},         // unknown escape
        {"[HKCU\\a]\n\n\"v\" = REG_BINARY 0 1\n", "line 3"},       // not a hex byte
        {"[HKCU\\a]\n\"v\" = REG_DWORD 0x100000000\n", "line 2"},  // over 32 bits
        {"[HKCU\\a]\n\"v\" = REG_DWORD 12x\n", "line 2"},
    };
    for (const auto& c : cases) {
        RegTree tree;
        try {
            ParseRegistrySeed(c.text, tree);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const Exception& e) {
            EXPECT_NE(e.Message.find(c.where), std::string::npos) << c.text << " -> " << e.Message;
        }
    }
}
