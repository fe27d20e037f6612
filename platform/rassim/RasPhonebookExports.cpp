// The phonebook: its entries are kept with the raw bytes and size they were written with
// (Phonebook.h). Only the default phonebook (lpszPhonebook NULL) is simulated; any other
// gives ERROR_CANNOT_OPEN_PHONEBOOK.
#include "CallLog.h"
#include "Devices.h"
#include "DialService.h"
#include "Phonebook.h"
#include "RecordFields.h"

#include "RasExport.h"

#include "platform/RasApi.h"

#include <cstring>
#include <type_traits>

namespace {
bool textsTerminated(const RASENTRYA& e) {
    return Terminated(VYN_FIELD(e, szAreaCode)) && Terminated(VYN_FIELD(e, szLocalPhoneNumber)) &&
           Terminated(VYN_FIELD(e, szScript)) && Terminated(VYN_FIELD(e, szAutodialDll)) &&
           Terminated(VYN_FIELD(e, szAutodialFunc)) && Terminated(VYN_FIELD(e, szDeviceType)) &&
           Terminated(VYN_FIELD(e, szDeviceName)) && Terminated(VYN_FIELD(e, szX25PadType)) &&
           Terminated(VYN_FIELD(e, szX25Address)) && Terminated(VYN_FIELD(e, szX25Facilities)) &&
           Terminated(VYN_FIELD(e, szX25UserData));
}

// The list of alternate numbers, when there is one, lies inside the buffer after the
// record and ends with an empty text.
bool alternatesInside(const RASENTRYA& e, DWORD size) {
    if (e.dwAlternateOffset == 0) return true;
    if (e.dwAlternateOffset < sizeof(RASENTRYA) || e.dwAlternateOffset >= size) return false;
    const char* p = reinterpret_cast<const char*>(&e);
    for (DWORD i = e.dwAlternateOffset; i < size; ++i) {
        if (p[i] != '\0') continue;
        if (i == e.dwAlternateOffset || p[i - 1] == '\0') return true;  // an empty text ends it
    }
    return false;
}

// What the platform offers for a new entry (lpszEntry NULL or empty).
std::string defaultEntry() {
    RASENTRYA e{};
    e.dwSize = sizeof e;
    e.dwfNetProtocols = RASNP_Ip;
    e.dwFramingProtocol = RASFP_Ppp;
    e.dwFrameSize = 1500;
    std::vector<RasDevice> devices = InstalledDevices();
    CopyField(VYN_FIELD(e, szDeviceType), devices.empty() ? AnsiString("modem") : devices[0].type);
    CopyField(VYN_FIELD(e, szDeviceName), devices.empty() ? AnsiString() : devices[0].name);
    return std::string(reinterpret_cast<const char*>(&e), sizeof e);
}

constexpr DWORD kLargestEntry = 64 * 1024;
}  // namespace

// Lists the entries' names in the order they were first written. On
// ERROR_BUFFER_TOO_SMALL *lpcb receives the size needed and *lpcEntries the number of
// entries; nothing is written to the buffer.
VYN_RAS_EXPORT DWORD RasEnumEntriesA(LPCSTR reserved, LPCSTR lpszPhonebook, RASENTRYNAMEA* lprasentryname,
                                     LPDWORD lpcb, LPDWORD lpcEntries) {
    CallRecord log("RasEnumEntriesA");
    log.Ptr("reserved", reserved).Text("lpszPhonebook", lpszPhonebook).Ptr("lprasentryname", lprasentryname);
    log.Num("cb", lpcb ? *lpcb : 0);
    if (reserved || !lpcb || !lpcEntries) return log.Done(ERROR_INVALID_PARAMETER);
    if (lpszPhonebook) return log.Done(ERROR_CANNOT_OPEN_PHONEBOOK);
    if (lprasentryname && lprasentryname->dwSize != sizeof(RASENTRYNAMEA)) return log.Done(ERROR_INVALID_SIZE);
    std::vector<PhonebookEntry> entries = ReadPhonebook();
    DWORD count = static_cast<DWORD>(entries.size());
    DWORD needed = count * static_cast<DWORD>(sizeof(RASENTRYNAMEA));
    *lpcEntries = count;
    if (*lpcb < needed || (!lprasentryname && needed > 0)) {
        *lpcb = needed;
        return log.Num("needed", needed).Done(ERROR_BUFFER_TOO_SMALL);
    }
    for (DWORD i = 0; i < count; ++i) {
        RASENTRYNAMEA& r = lprasentryname[i];
        std::memset(&r, 0, sizeof r);
        r.dwSize = sizeof r;
        CopyField(VYN_FIELD(r, szEntryName), entries[i].name);
    }
    *lpcb = needed;
    return log.Num("count", count).Done(ERROR_SUCCESS);
}
static_assert(std::is_same_v<decltype(&RasEnumEntriesA), PFN_RasEnumEntriesA>);

VYN_RAS_EXPORT DWORD RasDeleteEntryA(LPCSTR lpszPhonebook, LPCSTR lpszEntry) {
    CallRecord log("RasDeleteEntryA");
    log.Text("lpszPhonebook", lpszPhonebook).Text("lpszEntry", lpszEntry);
    if (!lpszEntry) return log.Done(ERROR_INVALID_PARAMETER);
    if (lpszPhonebook) return log.Done(ERROR_CANNOT_OPEN_PHONEBOOK);
    return log.Done(DeletePhonebookEntry(lpszEntry));
}
static_assert(std::is_same_v<decltype(&RasDeleteEntryA), PFN_RasDeleteEntryA>);

// Hands back the bytes the entry was written with, all of them: *lpdwEntryInfoSize must be
// at least the size written (ERROR_BUFFER_TOO_SMALL tells it). The entry is looked up
// before the size is judged, so a size query for a missing entry gives
// ERROR_CANNOT_FIND_PHONEBOOK_ENTRY. No device information is kept: *lpdwDeviceInfoSize
// receives 0.
VYN_RAS_EXPORT DWORD RasGetEntryPropertiesA(LPCSTR lpszPhonebook, LPCSTR lpszEntry, RASENTRYA* lpRasEntry,
                                            LPDWORD lpdwEntryInfoSize, LPBYTE lpbDeviceInfo,
                                            LPDWORD lpdwDeviceInfoSize) {
    CallRecord log("RasGetEntryPropertiesA");
    log.Text("lpszPhonebook", lpszPhonebook).Text("lpszEntry", lpszEntry).Ptr("lpRasEntry", lpRasEntry);
    log.Num("entryInfoSize", lpdwEntryInfoSize ? *lpdwEntryInfoSize : 0);
    log.Ptr("lpbDeviceInfo", lpbDeviceInfo).Ptr("lpdwDeviceInfoSize", lpdwDeviceInfoSize);
    if (!lpdwEntryInfoSize) return log.Done(ERROR_INVALID_PARAMETER);
    if (lpszPhonebook) return log.Done(ERROR_CANNOT_OPEN_PHONEBOOK);
    if (lpRasEntry && lpRasEntry->dwSize != sizeof(RASENTRYA)) return log.Done(ERROR_INVALID_SIZE);
    std::string bytes;
    if (!lpszEntry || !*lpszEntry) {
        bytes = defaultEntry();
    } else {
        PhonebookEntry entry;
        if (!FindPhonebookEntry(lpszEntry, entry)) return log.Done(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
        bytes = entry.bytes;
    }
    DWORD needed = static_cast<DWORD>(bytes.size());
    if (lpdwDeviceInfoSize) *lpdwDeviceInfoSize = 0;
    if (!lpRasEntry || *lpdwEntryInfoSize < needed) {
        *lpdwEntryInfoSize = needed;
        return log.Num("needed", needed).Done(ERROR_BUFFER_TOO_SMALL);
    }
    std::memcpy(lpRasEntry, bytes.data(), bytes.size());
    *lpdwEntryInfoSize = needed;
    return log.Num("size", needed).Bytes("entry", bytes.data(), bytes.size()).Done(ERROR_SUCCESS);
}
static_assert(std::is_same_v<decltype(&RasGetEntryPropertiesA), PFN_RasGetEntryPropertiesA>);

// Creates or rewrites an entry with the dwEntryInfoSize bytes given: the record (dwSize
// 1768) and what follows it (the alternate numbers' list, later fields). Text fields must
// end within their fields.
VYN_RAS_EXPORT DWORD RasSetEntryPropertiesA(LPCSTR lpszPhonebook, LPCSTR lpszEntry, RASENTRYA* lpRasEntry,
                                            DWORD dwEntryInfoSize, LPBYTE lpbDeviceInfo, DWORD dwDeviceInfoSize) {
    CallRecord log("RasSetEntryPropertiesA");
    log.Text("lpszPhonebook", lpszPhonebook).Text("lpszEntry", lpszEntry).Ptr("lpRasEntry", lpRasEntry);
    log.Num("dwEntryInfoSize", dwEntryInfoSize).Ptr("lpbDeviceInfo", lpbDeviceInfo);
    log.Num("dwDeviceInfoSize", dwDeviceInfoSize);
    if (!lpRasEntry || !lpszEntry) return log.Done(ERROR_INVALID_PARAMETER);
    if ((lpbDeviceInfo == nullptr) != (dwDeviceInfoSize == 0)) return log.Done(ERROR_INVALID_PARAMETER);
    if (lpszPhonebook) return log.Done(ERROR_CANNOT_OPEN_PHONEBOOK);
    if (lpRasEntry->dwSize != sizeof(RASENTRYA)) return log.Done(ERROR_INVALID_SIZE);
    if (dwEntryInfoSize < sizeof(RASENTRYA) || dwEntryInfoSize > kLargestEntry) return log.Done(ERROR_BUFFER_INVALID);
    log.Bytes("entry", lpRasEntry, dwEntryInfoSize);
    if (lpbDeviceInfo) log.Bytes("deviceInfo", lpbDeviceInfo, dwDeviceInfoSize);
    if (!textsTerminated(*lpRasEntry)) return log.Done(ERROR_INVALID_PARAMETER);
    if (!alternatesInside(*lpRasEntry, dwEntryInfoSize)) return log.Done(ERROR_BUFFER_INVALID);
    if (!ValidEntryName(lpszEntry)) return log.Done(ERROR_INVALID_NAME);
    std::string bytes(reinterpret_cast<const char*>(lpRasEntry), dwEntryInfoSize);
    return log.Done(StorePhonebookEntry(lpszEntry, bytes));
}
static_assert(std::is_same_v<decltype(&RasSetEntryPropertiesA), PFN_RasSetEntryPropertiesA>);

// The platform opens its editor on the entry; here the call is only logged. The answer is
// the script's ("edit <code>") when it gives one, else 0 for an entry that exists.
VYN_RAS_EXPORT DWORD RasEditPhonebookEntryA(void* hwnd, LPCSTR lpszPhonebook, LPCSTR lpszEntryName) {
    CallRecord log("RasEditPhonebookEntryA");
    log.Ptr("hwnd", hwnd).Text("lpszPhonebook", lpszPhonebook).Text("lpszEntryName", lpszEntryName);
    if (!lpszEntryName) return log.Done(ERROR_INVALID_PARAMETER);
    if (lpszPhonebook) return log.Done(ERROR_CANNOT_OPEN_PHONEBOOK);
    std::shared_ptr<const DialScript> script = TheDialService().Script();
    if (script->editGiven) return log.Done(script->editResult);
    PhonebookEntry entry;
    return log.Done(FindPhonebookEntry(lpszEntryName, entry) ? DWORD(ERROR_SUCCESS)
                                                             : DWORD(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
}
static_assert(std::is_same_v<decltype(&RasEditPhonebookEntryA), PFN_RasEditPhonebookEntryA>);
