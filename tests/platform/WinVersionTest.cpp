#include "platform/SysUtils.h"
#include "platform/WinVersion.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(WinVersion, EachProfileReportsItsVersionAndRasExports) {
    struct {
        const char* file;
        DWORD platform, major, minor, buildLow;
        bool autodial, statistics, deleteSubEntry;
    } cases[] = {
        {"95\n", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, false, false, false},
        {"# the test machine\nWindows 98\n", VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998, false, false, false},
        {"  windows me  \n", VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, false, false, false},
        {"Windows NT 4.0\n", VER_PLATFORM_WIN32_NT, 4, 0, 1381, true, false, false},
        {"2000", VER_PLATFORM_WIN32_NT, 5, 0, 2195, true, true, false},
        {"XP\n", VER_PLATFORM_WIN32_NT, 5, 1, 2600, true, true, true},
        {nullptr, VER_PLATFORM_WIN32_NT, 5, 1, 2600, true, true, true},  // no file: XP
    };
    for (const auto& c : cases) {
        TempMachine m;
        if (c.file) m.writeMachineFile("windows.txt", c.file);
        const char* label = c.file ? c.file : "(none)";
        OSVERSIONINFOA info;
        std::memset(&info, 0x55, sizeof info);
        info.dwOSVersionInfoSize = 148;
        ASSERT_TRUE(GetVersionExA(&info)) << label;
        EXPECT_EQ(info.dwPlatformId, c.platform) << label;
        EXPECT_EQ(info.dwMajorVersion, c.major) << label;
        EXPECT_EQ(info.dwMinorVersion, c.minor) << label;
        EXPECT_EQ(info.dwBuildNumber & 0xFFFF, c.buildLow) << label;
        EXPECT_LT(std::strlen(info.szCSDVersion), sizeof info.szCSDVersion) << label;
        if (c.platform == VER_PLATFORM_WIN32_WINDOWS) {  // 9x keeps major.minor in the high word
            EXPECT_EQ(info.dwBuildNumber >> 16, (c.major << 8) | c.minor) << label;
        }
        EXPECT_EQ(RasExportExistsOnThisWindows("RasGetAutodialAddressA"), c.autodial) << label;
        EXPECT_EQ(RasExportExistsOnThisWindows("RasSetAutodialAddressA"), c.autodial) << label;
        EXPECT_EQ(RasExportExistsOnThisWindows("RasGetConnectionStatistics"), c.statistics) << label;
        EXPECT_EQ(RasExportExistsOnThisWindows("RasDeleteSubEntryA"), c.deleteSubEntry) << label;
        for (const char* always :
             {"RasDialA", "RasHangUpA", "RasGetConnectStatusA", "RasGetErrorStringA", "RasEnumConnectionsA",
              "RasEnumEntriesA", "RasDeleteEntryA", "RasGetEntryPropertiesA", "RasSetEntryPropertiesA",
              "RasEnumDevicesA", "RasEditPhonebookEntryA"})
            EXPECT_TRUE(RasExportExistsOnThisWindows(always)) << label << always;
    }
}

TEST(WinVersion, OnlyTheRecordOf148BytesIsFilled) {
    TempMachine m;
    for (DWORD size : {0u, 147u, 156u, 149u}) {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = size;
        EXPECT_FALSE(GetVersionExA(&info)) << size;
        EXPECT_EQ(info.dwPlatformId, 0u);
    }
    EXPECT_FALSE(GetVersionExA(nullptr));
}

TEST(WinVersion, AnUnknownVersionNameIsAnError) {
    TempMachine m;
    m.writeMachineFile("windows.txt", "Vista\n");
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = 148;
    EXPECT_THROW(GetVersionExA(&info), Exception);
    WindowsVersion v;
    EXPECT_FALSE(WindowsVersionFromName("Windows 3.1", v));
    ASSERT_TRUE(WindowsVersionFromName("nt4", v));
    EXPECT_STREQ(WindowsVersionName(v), "Windows NT 4.0");
}
