// The exports of the simulated dial-up service. Each checks its arguments as the platform
// does: a record of the wrong dwSize gives ERROR_INVALID_SIZE, a buffer too small gives
// ERROR_BUFFER_TOO_SMALL with the size needed.
#include "Devices.h"

#include "platform/RasApi.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {
void copyField(char* field, std::size_t fieldSize, const AnsiString& text) {
    std::size_t n = std::min(text.size(), fieldSize - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}
} // namespace

// Lists the installed devices. On ERROR_BUFFER_TOO_SMALL *lpcb receives the size needed
// and *lpcDevices the number of devices; nothing is written to the buffer.
extern "C" DWORD RasEnumDevicesA(RASDEVINFOA* lpRasDevInfo, LPDWORD lpcb, LPDWORD lpcDevices) {
    if (!lpcb || !lpcDevices) return ERROR_INVALID_PARAMETER;
    if (lpRasDevInfo && lpRasDevInfo->dwSize != sizeof(RASDEVINFOA)) return ERROR_INVALID_SIZE;
    std::vector<RasDevice> devices = InstalledDevices();
    DWORD count = static_cast<DWORD>(devices.size());
    DWORD needed = count * static_cast<DWORD>(sizeof(RASDEVINFOA));
    if (*lpcb < needed || (!lpRasDevInfo && needed > 0)) {
        *lpcb = needed;
        *lpcDevices = count;
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (DWORD i = 0; i < count; ++i) {
        RASDEVINFOA& r = lpRasDevInfo[i];
        std::memset(&r, 0, sizeof r);
        r.dwSize = sizeof(RASDEVINFOA);
        copyField(r.szDeviceType, sizeof r.szDeviceType, devices[i].type);
        copyField(r.szDeviceName, sizeof r.szDeviceName, devices[i].name);
    }
    *lpcb = needed;
    *lpcDevices = count;
    return ERROR_SUCCESS;
}
static_assert(std::is_same_v<decltype(&RasEnumDevicesA), PFN_RasEnumDevicesA>);
