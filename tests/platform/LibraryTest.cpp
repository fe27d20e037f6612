#include "platform/Library.h"
#include "platform/SysUtils.h"
#include "support/TempMachine.h"

#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {
const fs::path kService = fs::path(VYN_DIST_DIR) / "RASAPI32.DLL";

// Whether the dynamic loader still holds the file (without taking a reference).
bool stillLoaded(const std::string& path) {
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}
}  // namespace

TEST(Library, NameResolvesIgnoringCaseInTheProgramsFolderOnly) {
    struct {
        const char* installedAs;
        bool besideProgram;
        const char* requested;
        bool loads;
    } cases[] = {
        {"RASAPI32.DLL", true, "RASAPI32.DLL", true},
        {"rasapi32.dll", true, "RASAPI32.DLL", true},
        {"RasApi32.Dll", true, "rasapi32.DLL", true},
        {"RASAPI32.DLL", true, "RASAPI33.DLL", false},
        {"RASAPI32.DLL", false, "RASAPI32.DLL", false},  // in the machine directory, not beside the program
        {"RASAPI32.DLL", true, "", false},
    };
    for (auto& c : cases) {
        TempMachine m;
        std::string installed = c.besideProgram ? m.path(c.installedAs) : m.dir() + "/" + c.installedAs;
        fs::copy_file(kService, installed);
        HMODULE h = LoadLibraryA(c.requested);
        EXPECT_EQ(h != nullptr, c.loads) << c.installedAs << " / " << c.requested;
        if (!h) continue;
        EXPECT_EQ(NativePath(ModuleFileName(h)), installed);
        EXPECT_TRUE(FreeLibrary(h));
    }
}

TEST(Library, FolderGivenWithBackslashesAndFilesThatAreNotLibraries) {
    TempMachine m;
    m.installDialUpService();
    m.writeProgramFile("BROKEN.DLL", "MZ this is no library");
    HMODULE h = LoadLibraryA(m.programFile("rasapi32.dll").c_str());
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(LoadLibraryA("BROKEN.DLL"), nullptr);
    EXPECT_EQ(LoadLibraryA(m.programFile("Missing\\RASAPI32.DLL").c_str()), nullptr);
}

TEST(Library, ReferencesCountedUntilTheLastFree) {
    TempMachine m;
    m.installDialUpService();
    HMODULE first = LoadLibraryA("RASAPI32.DLL");
    HMODULE second = LoadLibraryA("rasapi32.dll");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    std::string path = m.path("RASAPI32.DLL");
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_TRUE(stillLoaded(path));
    EXPECT_NE(GetProcAddress(second, "RasEnumDevicesA"), nullptr);
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_FALSE(stillLoaded(path));
    EXPECT_FALSE(FreeLibrary(second));  // a second free of the last reference
    EXPECT_EQ(GetProcAddress(second, "RasEnumDevicesA"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(Library, MissingAndHiddenExportsGiveNull) {
    struct {
        const char* hiddenExports;  // nullptr: no file
        const char* proc;
        bool found;
    } cases[] = {
        {nullptr, "RasEnumDevicesA", true},
        {nullptr, "RasNoSuchFunction", false},
        {"RASAPI32.DLL RasEnumDevicesA\n", "RasEnumDevicesA", false},
        {"# hidden for this machine\n\n  rasapi32.dll\tRasEnumDevicesA\r\n", "RasEnumDevicesA", false},
        {"OTHER.DLL RasEnumDevicesA\n", "RasEnumDevicesA", true},
        {"RASAPI32.DLL rasenumdevicesa\n", "RasEnumDevicesA", true},  // export names are exact
        {"# RASAPI32.DLL RasEnumDevicesA\n", "RasEnumDevicesA", true},
    };
    for (auto& c : cases) {
        TempMachine m;
        m.installDialUpService();
        if (c.hiddenExports) m.writeMachineFile("hidden-exports.txt", c.hiddenExports);
        HMODULE h = LoadLibraryA("RASAPI32.DLL");
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(GetProcAddress(h, c.proc) != nullptr, c.found) << (c.hiddenExports ? c.hiddenExports : "-");
        FreeLibrary(h);
    }
}

TEST(Library, DialUpExportsFollowTheWindowsVersion) {
    struct {
        const char* windows;
        const char* proc;
        bool present;
    } cases[] = {
        {"98", "RasGetConnectionStatistics", false}, {"XP", "RasGetConnectionStatistics", true},
        {"95", "RasGetAutodialAddressA", false},     {"NT4", "RasGetAutodialAddressA", true},
        {"2000", "RasEnumDevicesA", true},           {"98", "RasEnumDevicesA", true},
    };
    for (auto& c : cases) {
        TempMachine m;
        m.installDialUpService();
        m.writeMachineFile("windows.txt", std::string(c.windows) + "\n");
        HMODULE lib = LoadLibraryA("RASAPI32.DLL");
        ASSERT_NE(lib, nullptr);
        bool exported = GetProcAddress(lib, c.proc) != nullptr;
        EXPECT_EQ(exported, c.present) << c.windows << " " << c.proc;
        FreeLibrary(lib);
    }
}
