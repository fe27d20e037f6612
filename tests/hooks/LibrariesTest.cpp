#include "HookFixture.h"

#include "platform/Machine.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"
#include "support/ElfFile.h"
#include "support/TestFiles.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
class HookLibraries : public HookTest {};
}  // namespace

TEST_F(HookLibraries, NeitherNeedsQtNorExportsTheOthersEntries) {
    struct {
        const char* library;
        std::vector<const char*> exports, absent;
    } cases[] = {
        {"Olvaret.dll",
         {"RasCustomDial", "RasCustomDialDlg"},
         {"AutoDialHandlerA", "AutoDialHandlerW", "StartCallUI"}},
        {"Tebrin.dll",
         {"AutoDialHandlerA", "AutoDialHandlerW"},
         {"RasCustomDial", "_AutoDialHandlerA", "StartCallUI"}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.library);
        auto needed = NeededLibraries((fs::path(VYN_DIST_DIR) / c.library).string());
        EXPECT_FALSE(needed.empty());
        for (auto& lib : needed) EXPECT_EQ(lib.find("Qt"), std::string::npos) << lib;
        HMODULE h = load(c.library);
        for (auto* name : c.exports) EXPECT_NE(GetProcAddress(h, name), nullptr) << name;
        for (auto* name : c.absent) EXPECT_EQ(GetProcAddress(h, name), nullptr) << name;
    }
    // Nothing they load brings Qt in either: this program links none.
    std::string maps = ReadFileBytes("/proc/self/maps");
    EXPECT_NE(maps.find("Tebrin.dll"), std::string::npos);
    EXPECT_EQ(maps.find("libQt"), std::string::npos);
}

TEST_F(HookLibraries, ACallersFreeRightAfterTheCallDoesNotCutTheStartShort) {
    std::string mirvane = machine.path("Mirvane.exe");
    writeStandIn(mirvane, "Mirvane");
    writeStandIn(machine.path("Brenwick.exe"), "Brenwick");
    SetMachineRegistryValue(RegRoot::CurrentUser, "Software\\Vyn\\Ruvozava", "discadorbinary", REG_SZ,
                            Utf8ToAnsi(mirvane) + std::string(1, '\0'));
    machine.installLibrary("Olvaret.dll");
    machine.installLibrary("Tebrin.dll");
    HMODULE olvaret = LoadLibraryA("Olvaret.dll");
    HMODULE tebrin = LoadLibraryA("Tebrin.dll");
    ASSERT_TRUE(olvaret && tebrin);
    auto dial = reinterpret_cast<PFN_RasCustomDial>(GetProcAddress(olvaret, "RasCustomDial"));
    auto handler = reinterpret_cast<PFN_AutoDialHandlerA>(GetProcAddress(tebrin, "AutoDialHandlerA"));
    HRASCONN handle = 0;
    DWORD code = 1;
    EXPECT_EQ(dial(nullptr, nullptr, nullptr, nullptr, 0, nullptr, &handle, 0), 0u);
    EXPECT_EQ(handler(nullptr, nullptr, nullptr, &code), TRUE);
    // The threads go on in code the caller no longer holds.
    EXPECT_TRUE(FreeLibrary(olvaret));
    EXPECT_TRUE(FreeLibrary(tebrin));
    EXPECT_EQ(waitForStarts(2), (std::vector<Start>{{"Brenwick", {"-dial"}}, {"Mirvane", {"-dial"}}}));
    EXPECT_TRUE(callsDone());
}

TEST_F(HookLibraries, WithoutAThreadNoEntryReportsSuccess) {
    writeStandIn(machine.path("Brenwick.exe"), "Brenwick");
    auto dial = bind<PFN_RasCustomDial>("Olvaret.dll", "RasCustomDial");
    auto dialDlg = bind<PFN_RasCustomDialDlg>("Olvaret.dll", "RasCustomDialDlg");
    auto handlerA = bind<PFN_AutoDialHandlerA>("Tebrin.dll", "AutoDialHandlerA");
    auto handlerW = bind<PFN_AutoDialHandlerW>("Tebrin.dll", "AutoDialHandlerW");
    machine.writeMachineFile("no-threads", "");
    HRASCONN handle = 0x77;
    EXPECT_EQ(dial(nullptr, nullptr, nullptr, nullptr, 1, nullptr, &handle, 0), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(handle, 0x77u);
    RASDIALDLG info{};
    info.dwSize = sizeof info;
    info.xDlg = 40;
    std::u16string entry = u"Ruvozava";
    EXPECT_EQ(dialDlg(nullptr, 0, nullptr, entry.data(), nullptr, &info, nullptr), FALSE);
    EXPECT_EQ(info.dwError, DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(info.xDlg, 40);
    DWORD code = 0x1234;
    EXPECT_EQ(handlerA(nullptr, nullptr, nullptr, &code), FALSE);
    EXPECT_EQ(handlerW(nullptr, entry.data(), nullptr, &code), FALSE);
    EXPECT_EQ(code, 0x1234u);
    std::remove(MachineFile("no-threads").c_str());
    EXPECT_EQ(threadsRunning(), 0u);
    EXPECT_TRUE(starts().empty());
    EXPECT_TRUE(RecordedShellCalls().empty());
    // A null return-code pointer is not written through.
    EXPECT_EQ(handlerA(nullptr, nullptr, nullptr, nullptr), TRUE);
    EXPECT_EQ(waitForStarts(1), (std::vector<Start>{{"Brenwick", {"-dial"}}}));
}
