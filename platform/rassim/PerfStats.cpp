#include "PerfStats.h"

#include "platform/registry/RegistryStore.h"
#include "platform/SysUtils.h"
#include "platform/WinVersion.h"

namespace {
bool isWindows9x() {
    try {
        WindowsVersion v = CurrentWindowsVersion();
        return v == WindowsVersion::Win95 || v == WindowsVersion::Win98 || v == WindowsVersion::WinMe;
    } catch (const Exception&) {
        return false;
    }
}

// The counter is named after the adapter whose AdapterName is "MS$PPP" (its DriverDesc).
bool dialUpAdapterName(AnsiString& name) {
    for (int i = 0; i < 10; ++i) {
        AnsiString key = Format("System\\CurrentControlSet\\Services\\Class\\Net\\%04d", i);
        RegValue adapter, desc;
        if (!GetMachineRegistryValue(RegRoot::LocalMachine, key, "AdapterName", adapter)) continue;
        if (adapter.data.substr(0, adapter.data.find('\0')) != "MS$PPP") continue;
        if (!GetMachineRegistryValue(RegRoot::LocalMachine, key, "DriverDesc", desc)) return false;
        name = desc.data.substr(0, desc.data.find('\0'));
        return true;
    }
    return false;
}
}  // namespace

void PublishPerfStatsSpeed(DWORD bps) {
    AnsiString adapter;
    if (!isWindows9x() || !dialUpAdapterName(adapter)) return;
    std::string bytes{static_cast<char>(bps & 0xFF), static_cast<char>((bps >> 8) & 0xFF),
                      static_cast<char>((bps >> 16) & 0xFF), static_cast<char>(bps >> 24)};
    for (const char* key : {"PerfStats\\StartStat", "PerfStats\\StatData", "PerfStats\\StopStat"})
        SetMachineRegistryValue(RegRoot::DynData, key, adapter + "\\ConnectSpeed", REG_BINARY, bytes);
}
