// Dialing, hanging up and the connections' state. The dials run by the dial script
// (DialService); these exports check the arguments as the platform does and log each call.
#include "CallLog.h"
#include "Devices.h"
#include "DialService.h"
#include "HookCalls.h"
#include "Phonebook.h"
#include "RecordFields.h"

#include "RasExport.h"

#include "platform/RasApi.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {
// The device a dial takes: the entry's, or for a dial without an entry the first installed.
void deviceFor(const AnsiString& entryName, const PhonebookEntry& entry, DialRequest& r) {
    if (!entryName.empty()) {
        RASENTRYA e{};
        std::memcpy(&e, entry.bytes.data(), std::min(entry.bytes.size(), sizeof e));
        r.deviceType = FieldText(VYN_FIELD(e, szDeviceType));
        r.deviceName = FieldText(VYN_FIELD(e, szDeviceName));
        return;
    }
    std::vector<RasDevice> devices = InstalledDevices();
    r.deviceType = devices.empty() ? AnsiString("modem") : devices[0].type;
    r.deviceName = devices.empty() ? AnsiString() : devices[0].name;
}

bool textsTerminated(const RASDIALPARAMSA& p) {
    return Terminated(VYN_FIELD(p, szEntryName)) && Terminated(VYN_FIELD(p, szPhoneNumber)) &&
           Terminated(VYN_FIELD(p, szCallbackNumber)) && Terminated(VYN_FIELD(p, szUserName)) &&
           Terminated(VYN_FIELD(p, szPassword)) && Terminated(VYN_FIELD(p, szDomain));
}
}  // namespace

// Starts a dial and returns at once; the notifier (type 1, RasDialFunc1) then receives each
// state on the service's thread. Only the default phonebook and notifier type 1 are
// simulated. *lphRasConn must be 0 on entry and receives the new handle. An entry with a
// custom-dial library is not dialed: the library's RasCustomDial is, and its result returned.
VYN_RAS_EXPORT DWORD RasDialA(void* lpRasDialExtensions, LPCSTR lpszPhonebook, RASDIALPARAMSA* lpRasDialParams,
                              DWORD dwNotifierType, void* lpvNotifier, LPHRASCONN lphRasConn) {
    CallRecord log("RasDialA");
    log.Ptr("lpRasDialExtensions", lpRasDialExtensions).Text("lpszPhonebook", lpszPhonebook);
    log.Num("dwNotifierType", dwNotifierType).Ptr("lpvNotifier", lpvNotifier);
    if (!lpRasDialParams || !lphRasConn) return log.Done(ERROR_INVALID_PARAMETER);
    const RASDIALPARAMSA& p = *lpRasDialParams;
    log.Num("dwSize", p.dwSize);
    if (p.dwSize != sizeof(RASDIALPARAMSA)) return log.Done(ERROR_INVALID_SIZE);
    log.Bytes("params", &p, sizeof p);
    if (!textsTerminated(p)) return log.Done(ERROR_INVALID_PARAMETER);
    log.Str("szEntryName", p.szEntryName).Str("szPhoneNumber", p.szPhoneNumber);
    log.Str("szCallbackNumber", p.szCallbackNumber).Str("szUserName", p.szUserName);
    log.Str("szPassword", p.szPassword).Str("szDomain", p.szDomain).Num("hrasconnIn", *lphRasConn);
    if (dwNotifierType != 1 || !lpvNotifier) return log.Done(ERROR_INVALID_PARAMETER);
    if (lpszPhonebook) return log.Done(ERROR_CANNOT_OPEN_PHONEBOOK);
    if (*lphRasConn != 0) return log.Done(ERROR_INVALID_HANDLE);

    DialRequest request;
    request.entry = p.szEntryName;
    request.notifier = reinterpret_cast<RasDialFunc1>(lpvNotifier);
    PhonebookEntry entry;
    if (!request.entry.empty() && !FindPhonebookEntry(request.entry, entry))
        return log.Done(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
    // An entry set up with a custom-dial library is that library's to dial.
    if (AnsiString library; !request.entry.empty() && CustomDialLibraryOf(request.entry, library))
        return CustomDial(library, lpRasDialExtensions, p, dwNotifierType, lpvNotifier, lphRasConn, log);
    deviceFor(request.entry, entry, request);
    HRASCONN handle = 0;
    DWORD rc = TheDialService().Dial(request, handle, log);
    *lphRasConn = handle;
    TheDialService().PublishLineSpeed();
    return rc;
}
static_assert(std::is_same_v<decltype(&RasDialA), PFN_RasDialA>);

// Ends a connection or a dial. The handle stays valid for the script's hang-up time; a
// second hang-up meanwhile succeeds; afterwards the handle is unknown.
VYN_RAS_EXPORT DWORD RasHangUpA(HRASCONN hrasconn) {
    CallRecord log("RasHangUpA");
    log.Num("hrasconn", hrasconn);
    DWORD rc = TheDialService().HangUp(hrasconn, log);
    TheDialService().PublishLineSpeed();
    return rc;
}
static_assert(std::is_same_v<decltype(&RasHangUpA), PFN_RasHangUpA>);

VYN_RAS_EXPORT DWORD RasGetConnectStatusA(HRASCONN hrasconn, RASCONNSTATUSA* lpRasConnStatus) {
    CallRecord log("RasGetConnectStatusA");
    log.Num("hrasconn", hrasconn);
    if (!lpRasConnStatus) return log.Done(ERROR_INVALID_PARAMETER);
    log.Num("dwSize", lpRasConnStatus->dwSize);
    if (lpRasConnStatus->dwSize != sizeof(RASCONNSTATUSA)) return log.Done(ERROR_INVALID_SIZE);
    ConnectionView c;
    if (!TheDialService().Find(hrasconn, c)) return log.Done(ERROR_INVALID_HANDLE);
    if (c.statusError) return log.Done(c.statusError);
    RASCONNSTATUSA& s = *lpRasConnStatus;
    std::memset(&s, 0, sizeof s);
    s.dwSize = sizeof s;
    s.rasconnstate = c.state;
    s.dwError = c.error;
    CopyField(VYN_FIELD(s, szDeviceType), c.deviceType);
    CopyField(VYN_FIELD(s, szDeviceName), c.deviceName);
    TheDialService().PublishLineSpeed();
    return log.Num("rasconnstate", static_cast<uint64_t>(c.state)).Num("dwError", c.error).Done(ERROR_SUCCESS);
}
static_assert(std::is_same_v<decltype(&RasGetConnectStatusA), PFN_RasGetConnectStatusA>);

// Every connection, dialled here or outside, in the order they began (dials still in
// progress, failed ones not yet hung up and ones hanging up included).
VYN_RAS_EXPORT DWORD RasEnumConnectionsA(RASCONNA* lprasconn, LPDWORD lpcb, LPDWORD lpcConnections) {
    CallRecord log("RasEnumConnectionsA");
    log.Ptr("lprasconn", lprasconn).Num("cb", lpcb ? *lpcb : 0);
    if (!lpcb || !lpcConnections) return log.Done(ERROR_INVALID_PARAMETER);
    if (lprasconn && lprasconn->dwSize != sizeof(RASCONNA)) return log.Done(ERROR_INVALID_SIZE);
    std::vector<ConnectionView> all = TheDialService().Connections();
    TheDialService().PublishLineSpeed();
    DWORD count = static_cast<DWORD>(all.size());
    DWORD needed = count * static_cast<DWORD>(sizeof(RASCONNA));
    *lpcConnections = count;
    if (*lpcb < needed || (!lprasconn && needed > 0)) {
        *lpcb = needed;
        return log.Num("needed", needed).Done(ERROR_BUFFER_TOO_SMALL);
    }
    for (DWORD i = 0; i < count; ++i) {
        RASCONNA& r = lprasconn[i];
        std::memset(&r, 0, sizeof r);
        r.dwSize = sizeof r;
        r.hrasconn = all[i].handle;
        CopyField(VYN_FIELD(r, szEntryName), all[i].entry);
        CopyField(VYN_FIELD(r, szDeviceType), all[i].deviceType);
        CopyField(VYN_FIELD(r, szDeviceName), all[i].deviceName);
        log.Num("hrasconn", all[i].handle);
    }
    *lpcb = needed;
    return log.Num("count", count).Done(ERROR_SUCCESS);
}
static_assert(std::is_same_v<decltype(&RasEnumConnectionsA), PFN_RasEnumConnectionsA>);

// The line's figures: its speed (dwBps) and how long it has been up, while it is connected;
// zeros before it connects and after it dropped. Byte and frame counts are not simulated.
VYN_RAS_EXPORT DWORD RasGetConnectionStatistics(HRASCONN hrasconn, RAS_STATS* lpStatistics) {
    CallRecord log("RasGetConnectionStatistics");
    log.Num("hrasconn", hrasconn);
    if (!lpStatistics) return log.Done(ERROR_INVALID_PARAMETER);
    log.Num("dwSize", lpStatistics->dwSize);
    if (lpStatistics->dwSize != sizeof(RAS_STATS)) return log.Done(ERROR_INVALID_SIZE);
    ConnectionView c;
    if (!TheDialService().Find(hrasconn, c)) return log.Done(ERROR_INVALID_HANDLE);
    RAS_STATS& s = *lpStatistics;
    std::memset(&s, 0, sizeof s);
    s.dwSize = sizeof s;
    if (c.state == RASCS_Connected && c.connectedAt >= 0) {
        s.dwBps = c.speed;
        s.dwConnectDuration = static_cast<DWORD>(TheDialService().Now() - c.connectedAt);
    }
    return log.Num("dwBps", s.dwBps).Num("dwConnectDuration", s.dwConnectDuration).Done(ERROR_SUCCESS);
}
static_assert(std::is_same_v<decltype(&RasGetConnectionStatistics), PFN_RasGetConnectionStatistics>);
