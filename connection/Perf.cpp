#include "Perf.h"

#include "Perf2K.h"
#include "Perf95.h"

#include "platform/registry/Registry.h"
#include "platform/SysUtils.h"
#include "platform/WinVersion.h"

namespace {
const char* const kNetClassKey = "System\\CurrentControlSet\\Services\\Class\\Net\\";
const char* const kDialUpAdapter = "MS$PPP";

// A text value of an adapter key, "" when the key or the value is missing or is not text.
AnsiString AdapterText(const AnsiString& key, const AnsiString& name) {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    AnsiString text;
    if (reg.OpenKey(key, false)) {
        try {
            text = reg.ReadString(name);
        } catch (const ERegistryException&) {}
        reg.CloseKey();
    }
    return text;
}
}  // namespace

TPerf::TPerf(const TServices& services) {
    // Zeroed first: a call that fails leaves no platform, hence no reader.
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) ok_ = InitWin95();
    else if (info.dwMajorVersion == 5) ok_ = InitWin2K(services);
}

TPerf::~TPerf() {
    perf95_.reset();
    perf2K_.reset();
}

bool TPerf::InitWin95() {
    // The dial-up adapter is one of the first ten network adapters; the lowest index wins.
    AnsiString adapterKey;
    for (int i = 0; i <= 9 && adapterKey.empty(); ++i) {
        AnsiString key = kNetClassKey + Format("%04d", i);
        if (AdapterText(key, "AdapterName") == kDialUpAdapter) adapterKey = key;
    }
    if (adapterKey.empty()) return false;
    perf95_ = std::make_unique<TPerf95>(AdapterText(adapterKey, "DriverDesc"), "ConnectSpeed");
    return perf95_->Ok();
}

bool TPerf::InitWin2K(const TServices& services) {
    perf2K_ = std::make_unique<TPerf2K>(services);
    return perf2K_->Ok();
}

DWORD TPerf::GetSpeed(HRASCONN connection) {
    if (!ok_) return 0;
    DWORD speed = perf95_ ? perf95_->GetValue() : 0;
    if (perf2K_) speed = perf2K_->GetSpeed(connection);
    return speed;
}
