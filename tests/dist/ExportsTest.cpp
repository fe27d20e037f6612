// What each program and library exports: a library loaded by name only its entry points, a
// program nothing of its own, so that no library binds to a program's functions or a
// program's to a library's.
#include "support/ElfFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {
std::string dist(const char* name) { return (fs::path(VYN_DIST_DIR) / name).string(); }

// Every symbol our layers define as their own.
std::set<std::string> ourSymbols() {
    std::set<std::string> out;
    std::istringstream archives(VYN_LAYER_ARCHIVES);
    for (std::string archive; std::getline(archives, archive, '|');) out.merge(ArchiveDefinitions(archive));
    return out;
}

std::vector<std::string> ofOurs(const std::set<std::string>& exported, const std::set<std::string>& ours) {
    std::vector<std::string> out;
    std::set_intersection(exported.begin(), exported.end(), ours.begin(), ours.end(), std::back_inserter(out));
    return out;
}
}  // namespace

TEST(Exports, EachLibraryExportsExactlyItsEntryPoints) {
    struct {
        const char* library;
        std::set<std::string> exports;
    } cases[] = {
        {"RASAPI32.DLL",
         {"RasDialA", "RasHangUpA", "RasGetConnectStatusA", "RasGetErrorStringA", "RasEnumConnectionsA",
          "RasEnumEntriesA", "RasDeleteEntryA", "RasGetEntryPropertiesA", "RasSetEntryPropertiesA",
          "RasEditPhonebookEntryA", "RasEnumDevicesA", "RasGetConnectionStatistics", "RasGetAutodialAddressA",
          "RasSetAutodialAddressA", "VynSimControl", "VynSimReset", "VynSimLineSpeed", "VynSimRequestAddress",
          "VynAttachHost"}},
        {"Olvaret.dll", {"RasCustomDial", "RasCustomDialDlg"}},
        {"Tebrin.dll", {"AutoDialHandlerA", "AutoDialHandlerW"}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.library);
        EXPECT_EQ(ExportedSymbols(dist(c.library)), c.exports);
    }
}

TEST(Exports, NoProgramExportsAnythingOfOurs) {
    std::set<std::string> ours = ourSymbols();
    // The check sees a program that does: one with functions under our names, exported.
    auto impostor = ofOurs(ExportedSymbols(VYN_HOOK_HOST_IMPOSTOR), ours);
    EXPECT_NE(std::find(impostor.begin(), impostor.end(), "_Z10MachineDirB5cxx11v"), impostor.end());
    EXPECT_TRUE(ours.count("Application")) << "a global of the class library";
    struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"Mirvane.exe", dist("Mirvane.exe")},       {"Quorvelt.exe", dist("Quorvelt.exe")},
        {"Brenwick.exe", dist("Brenwick.exe")},     {"MirvaneRoaming.exe", dist("MirvaneRoaming.exe")},
        {"vyn-messagebox", dist("vyn-messagebox")}, {"a test program", VYN_TEST_PROGRAM},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ExportedSymbols(c.path).empty()) << "the dynamic symbol table was read";
        EXPECT_EQ(ofOurs(ExportedSymbols(c.path), ours), std::vector<std::string>{});
    }
}
