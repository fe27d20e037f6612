#pragma once
// Which Windows the simulated machine is: "windows.txt" in the machine directory names it
// ("95", "98", "Me", "NT4", "2000" or "XP", "Windows " in front allowed, case ignored; "#"
// starts a comment line). Without the file the machine is Windows XP. The version decides
// what GetVersionExA reports and which RAS exports exist.
#include "WinTypes.h"

#include <string>

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// Fills the record when its dwOSVersionInfoSize is 148; FALSE, with the record untouched,
// otherwise. Raises Exception when "windows.txt" names no known version.
BOOL GetVersionExA(OSVERSIONINFOA* info);

enum class WindowsVersion { Win95, Win98, WinMe, NT4, Win2000, XP };

WindowsVersion CurrentWindowsVersion();  // raises Exception for an unknown name
bool WindowsVersionFromName(const std::string& name, WindowsVersion& version);
const char* WindowsVersionName(WindowsVersion version);  // "Windows 98", ...

// Whether the platform's RAS library exports `name` on that version. Exports missing from
// older versions: the AutoDial address functions before NT 4 (none on 95, 98, Me), the
// connection and link statistics and the EAP and custom-auth data calls before Windows 2000,
// RasDeleteSubEntryA before XP. Every other name is present everywhere.
bool RasExportExistsOn(WindowsVersion version, const char* name);
bool RasExportExistsOnThisWindows(const char* name);
