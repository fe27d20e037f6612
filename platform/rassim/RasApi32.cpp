// The device list, the error texts, the service's own test exports and the hand-over of the
// program's clock. Each export checks its arguments as the platform does: a record of the
// wrong dwSize gives ERROR_INVALID_SIZE, a buffer too small gives ERROR_BUFFER_TOO_SMALL
// with the size needed.
#include "CallLog.h"
#include "Devices.h"
#include "DialService.h"
#include "ErrorTexts.h"
#include "RecordFields.h"

#include "RasExport.h"

#include "platform/HostLink.h"
#include "platform/RasApi.h"

#include <cstring>
#include <type_traits>

// Lists the installed devices. On ERROR_BUFFER_TOO_SMALL *lpcb receives the size needed
// and *lpcDevices the number of devices; nothing is written to the buffer.
VYN_RAS_EXPORT DWORD RasEnumDevicesA(RASDEVINFOA* lpRasDevInfo, LPDWORD lpcb, LPDWORD lpcDevices) {
    CallRecord log("RasEnumDevicesA");
    log.Ptr("lpRasDevInfo", lpRasDevInfo).Num("cb", lpcb ? *lpcb : 0);
    if (!lpcb || !lpcDevices) return log.Done(ERROR_INVALID_PARAMETER);
    if (lpRasDevInfo && lpRasDevInfo->dwSize != sizeof(RASDEVINFOA)) return log.Done(ERROR_INVALID_SIZE);
    std::vector<RasDevice> devices = InstalledDevices();
    DWORD count = static_cast<DWORD>(devices.size());
    DWORD needed = count * static_cast<DWORD>(sizeof(RASDEVINFOA));
    *lpcDevices = count;
    if (*lpcb < needed || (!lpRasDevInfo && needed > 0)) {
        *lpcb = needed;
        return log.Num("needed", needed).Done(ERROR_BUFFER_TOO_SMALL);
    }
    for (DWORD i = 0; i < count; ++i) {
        RASDEVINFOA& r = lpRasDevInfo[i];
        std::memset(&r, 0, sizeof r);
        r.dwSize = sizeof(RASDEVINFOA);
        CopyField(VYN_FIELD(r, szDeviceType), devices[i].type);
        CopyField(VYN_FIELD(r, szDeviceName), devices[i].name);
    }
    *lpcb = needed;
    return log.Num("count", count).Done(ERROR_SUCCESS);
}
static_assert(std::is_same_v<decltype(&RasEnumDevicesA), PFN_RasEnumDevicesA>);

// The text of a result code, zero-terminated. A code without a text gives
// ERROR_INVALID_PARAMETER, a buffer that cannot hold the text and its zero gives
// ERROR_INSUFFICIENT_BUFFER; the buffer is then left as it was.
VYN_RAS_EXPORT DWORD RasGetErrorStringA(UINT uErrorValue, LPSTR lpszErrorString, DWORD cBufSize) {
    CallRecord log("RasGetErrorStringA");
    log.Num("uErrorValue", uErrorValue).Ptr("lpszErrorString", lpszErrorString).Num("cBufSize", cBufSize);
    if (!lpszErrorString) return log.Done(ERROR_INVALID_PARAMETER);
    AnsiString text;
    if (!ErrorText(*TheDialService().Script(), uErrorValue, text)) return log.Done(ERROR_INVALID_PARAMETER);
    if (text.size() + 1 > cBufSize) return log.Num("needed", text.size() + 1).Done(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(lpszErrorString, text.c_str(), text.size() + 1);
    return log.Str("text", text).Done(ERROR_SUCCESS);
}
static_assert(std::is_same_v<decltype(&RasGetErrorStringA), PFN_RasGetErrorStringA>);

// --- the service's own exports, for tests --------------------------------------------------
namespace {
class Control : public RasSimControl {
public:
    void Reset() override { TheDialService().Reset(); }
    std::vector<RasCall> Calls() override { return TheCallLog().Calls(); }
    std::vector<RasCall> Calls(const std::string& function) override {
        return function.empty() ? std::vector<RasCall>{} : TheCallLog().Calls(function);
    }
    void WaitIdle() override { TheDialService().WaitIdle(); }
    DWORD LineSpeed() override { return TheDialService().LineSpeed(); }
    unsigned Dials() override { return TheDialService().Dials(); }
};
Control gControl;
}  // namespace

VYN_RAS_EXPORT RasSimControl* VynSimControl() { return &gControl; }
VYN_RAS_EXPORT DWORD VynSimReset() {
    gControl.Reset();
    return ERROR_SUCCESS;
}
VYN_RAS_EXPORT DWORD VynSimLineSpeed() { return TheDialService().LineSpeed(); }
static_assert(std::is_same_v<decltype(&VynSimControl), PFN_VynSimControl>);
static_assert(std::is_same_v<decltype(&VynSimReset), PFN_VynSimReset>);
static_assert(std::is_same_v<decltype(&VynSimLineSpeed), PFN_VynSimLineSpeed>);

// The program that loaded the service gives it its clock (platform/HostLink.h); the
// service's timeline starts there, as the library is loaded.
VYN_RAS_EXPORT void VynAttachHost(const VynHost* host) {
    AttachToHost(host);
    TheDialService();
}
static_assert(std::is_same_v<decltype(&VynAttachHost), PFN_VynAttachHost>);
