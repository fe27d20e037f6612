// The registry keeps to the platform's limits (a key name of 255 characters, 512 levels) and
// stays quick with many keys, whatever a machine file or a program asks of it.
#include "platform/registry/Registry.h"
#include "platform/registry/RegistrySeed.h"
#include "platform/registry/RegistryStore.h"
#include "StoredKeys.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {
// `levels` names "k" below each other.
AnsiString DeepPath(std::size_t levels) {
    AnsiString path = "k";
    for (std::size_t i = 1; i < levels; ++i) path += "\\k";
    return path;
}

double CpuSecondsSince(std::clock_t start) { return double(std::clock() - start) / CLOCKS_PER_SEC; }
}  // namespace

TEST(RegistryLimits, KeysBeyondTheLimitsNeitherOpenNorParse) {
    TempMachine m;
    struct {
        const char* what;
        AnsiString path;
        bool within;
    } cases[] = {
        {"a name of 255 characters", AnsiString(255, 'n'), true},
        {"a name of 256 characters", AnsiString(256, 'n'), false},
        {"512 levels", DeepPath(512), true},
        {"513 levels", DeepPath(513), false},
        {"100,000 levels", DeepPath(100000), false},
    };
    for (const auto& c : cases) {
        ClearRegistry();
        TRegistry reg;
        EXPECT_EQ(reg.OpenKey(c.path, true), c.within) << c.what;
        EXPECT_EQ(StoredSubkeyNames(RegRoot::CurrentUser, "").size(), c.within ? 1u : 0u) << c.what;
        RegTree tree;
        try {
            ParseRegistrySeed("[HKCU\\a]\n\n[HKCU\\" + c.path + "]\n\"v\" = REG_DWORD 1\n", tree);
            EXPECT_TRUE(c.within) << c.what;
        } catch (const Exception& e) {
            EXPECT_FALSE(c.within) << c.what;
            EXPECT_NE(e.Message.find("line 3"), std::string::npos) << c.what;
        }
    }
    // Below an open key the whole depth counts; the machine's own writes keep to it too.
    ClearRegistry();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(DeepPath(500), true));
    EXPECT_TRUE(reg.OpenKey(DeepPath(12), true));
    EXPECT_FALSE(reg.OpenKey("k", true));
    EXPECT_THROW(SetMachineRegistryValue(RegRoot::LocalMachine, DeepPath(513), "v", REG_DWORD, "1234"), Exception);
}

TEST(RegistryLimits, ManyKeysAndValuesReadInLittleTime) {
    constexpr int kKeys = 70000;
    std::string seed;
    for (int i = 0; i < kKeys; ++i) seed += Format("[HKCU\\Big\\k%06d]\n", i);
    seed += "[HKCU\\Values]\n";
    for (int i = 0; i < kKeys; ++i) seed += Format("\"v%06d\" = REG_DWORD %d\n", i, i);
    std::clock_t start = std::clock();
    RegTree tree;
    ParseRegistrySeed(seed, tree);
    double seconds = CpuSecondsSince(start);
    const RegKey* big = tree.Find(RegRoot::CurrentUser, {"BIG"});
    ASSERT_TRUE(big);
    EXPECT_EQ(big->SubkeyCount(), std::size_t(kKeys));
    EXPECT_EQ(big->FindSubkey("K069999"), &big->Subkey(kKeys - 1));
    const RegKey* values = tree.Find(RegRoot::CurrentUser, {"values"});
    ASSERT_TRUE(values && values->FindValue("V012345"));
    EXPECT_EQ(values->FindValue("V012345")->data, std::string("\x39\x30\0\0", 4));
    // A fraction of a second, a few under the sanitizers; a walk over the siblings at every
    // insert takes tens of seconds.
    EXPECT_LT(seconds, 10.0);
}
