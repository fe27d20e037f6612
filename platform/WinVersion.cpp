#include "WinVersion.h"

#include "Machine.h"
#include "SysUtils.h"

#include <cstring>
#include <fstream>

namespace {

struct Profile {
    WindowsVersion version;
    const char* name;
    const char* shortName;
    DWORD major, minor, build, platform;
    const char* csd;
};

// Windows 9x keeps the version in the high word of the build number.
constexpr Profile kProfiles[] = {
    {WindowsVersion::Win95, "Windows 95", "95", 4, 0, 0x040003B6, VER_PLATFORM_WIN32_WINDOWS, ""},
    {WindowsVersion::Win98, "Windows 98", "98", 4, 10, 0x040A07CE, VER_PLATFORM_WIN32_WINDOWS, ""},
    {WindowsVersion::WinMe, "Windows Me", "ME", 4, 90, 0x045A0BB8, VER_PLATFORM_WIN32_WINDOWS, ""},
    {WindowsVersion::NT4, "Windows NT 4.0", "NT4", 4, 0, 1381, VER_PLATFORM_WIN32_NT, "Service Pack 6"},
    {WindowsVersion::Win2000, "Windows 2000", "2000", 5, 0, 2195, VER_PLATFORM_WIN32_NT, "Service Pack 4"},
    {WindowsVersion::XP, "Windows XP", "XP", 5, 1, 2600, VER_PLATFORM_WIN32_NT, "Service Pack 2"},
};

const Profile& ProfileOf(WindowsVersion v) {
    for (const auto& p : kProfiles)
        if (p.version == v) return p;
    return kProfiles[5];
}

struct ExportSince {
    const char* name;
    WindowsVersion since;
};

constexpr ExportSince kNewerExports[] = {
    {"RasGetAutodialAddressA", WindowsVersion::NT4},
    {"RasSetAutodialAddressA", WindowsVersion::NT4},
    {"RasEnumAutodialAddressesA", WindowsVersion::NT4},
    {"RasGetAutodialEnableA", WindowsVersion::NT4},
    {"RasSetAutodialEnableA", WindowsVersion::NT4},
    {"RasGetAutodialParamA", WindowsVersion::NT4},
    {"RasSetAutodialParamA", WindowsVersion::NT4},
    {"RasConnectionNotificationA", WindowsVersion::NT4},
    {"RasGetConnectionStatistics", WindowsVersion::Win2000},
    {"RasGetLinkStatistics", WindowsVersion::Win2000},
    {"RasClearConnectionStatistics", WindowsVersion::Win2000},
    {"RasClearLinkStatistics", WindowsVersion::Win2000},
    {"RasGetEapUserDataA", WindowsVersion::Win2000},
    {"RasSetEapUserDataA", WindowsVersion::Win2000},
    {"RasGetCustomAuthDataA", WindowsVersion::Win2000},
    {"RasSetCustomAuthDataA", WindowsVersion::Win2000},
    {"RasGetEapUserIdentityA", WindowsVersion::Win2000},
    {"RasFreeEapUserIdentityA", WindowsVersion::Win2000},
    {"RasInvokeEapUI", WindowsVersion::Win2000},
    {"RasDeleteSubEntryA", WindowsVersion::XP},
};

// The NT line came after the 9x line for these exports; 9x never got them.
bool AtLeast(WindowsVersion v, WindowsVersion since) {
    auto isNt = [](WindowsVersion w) {
        return w == WindowsVersion::NT4 || w == WindowsVersion::Win2000 || w == WindowsVersion::XP;
    };
    if (isNt(since) && !isNt(v)) return false;
    return static_cast<int>(v) >= static_cast<int>(since);
}

AnsiString Stripped(std::string line) {
    if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    return UpperCase(Trim(line));
}

}  // namespace

bool WindowsVersionFromName(const std::string& name, WindowsVersion& version) {
    AnsiString n = Stripped(name);
    if (n.rfind("WINDOWS", 0) == 0) n = Trim(n.substr(7));
    if (n == "NT 4" || n == "NT 4.0" || n == "NT4.0") n = "NT4";
    for (const auto& p : kProfiles) {
        if (n == p.shortName) {
            version = p.version;
            return true;
        }
    }
    return false;
}

const char* WindowsVersionName(WindowsVersion version) { return ProfileOf(version).name; }

WindowsVersion CurrentWindowsVersion() {
    std::ifstream in(MachineFile("windows.txt"));
    std::string line;
    while (std::getline(in, line)) {
        if (Stripped(line).empty()) continue;
        WindowsVersion v;
        if (!WindowsVersionFromName(line, v))
            throw Exception("windows.txt of the simulated machine names no known Windows: \"" + Trim(line) + "\"");
        return v;
    }
    return WindowsVersion::XP;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) return FALSE;
    const Profile& p = ProfileOf(CurrentWindowsVersion());
    info->dwMajorVersion = p.major;
    info->dwMinorVersion = p.minor;
    info->dwBuildNumber = p.build;
    info->dwPlatformId = p.platform;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, p.csd, sizeof info->szCSDVersion - 1);
    return TRUE;
}

bool RasExportExistsOn(WindowsVersion version, const char* name) {
    if (!name) return false;
    for (const auto& e : kNewerExports)
        if (std::strcmp(e.name, name) == 0) return AtLeast(version, e.since);
    return true;
}

bool RasExportExistsOnThisWindows(const char* name) { return RasExportExistsOn(CurrentWindowsVersion(), name); }
