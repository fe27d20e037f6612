// The AutoDial table (AutodialTable.h). The address NULL stands for the default Internet
// connection, the one the platform's AutoDial uses when a program needs the Internet.
#include "AutodialTable.h"
#include "CallLog.h"
#include "HookCalls.h"
#include "RecordFields.h"

#include "RasExport.h"

#include "platform/RasApi.h"

#include <cstring>
#include <thread>
#include <type_traits>

// The records of an address. An address not in the table gives ERROR_FILE_NOT_FOUND with
// *lpdwcbAutoDialEntries and *lpdwcAutoDialEntries set to 0; a missing or small buffer
// gives ERROR_BUFFER_TOO_SMALL with the size needed and the number of records.
VYN_RAS_EXPORT DWORD RasGetAutodialAddressA(LPCSTR lpszAddress, LPDWORD lpdwReserved,
                                            RASAUTODIALENTRYA* lpAutoDialEntries, LPDWORD lpdwcbAutoDialEntries,
                                            LPDWORD lpdwcAutoDialEntries) {
    CallRecord log("RasGetAutodialAddressA");
    log.Text("lpszAddress", lpszAddress)
        .Ptr("lpdwReserved", lpdwReserved)
        .Ptr("lpAutoDialEntries", lpAutoDialEntries);
    log.Num("cb", lpdwcbAutoDialEntries ? *lpdwcbAutoDialEntries : 0);
    if (lpdwReserved || !lpdwcbAutoDialEntries || !lpdwcAutoDialEntries) return log.Done(ERROR_INVALID_PARAMETER);
    if (lpszAddress && !*lpszAddress) return log.Done(ERROR_INVALID_PARAMETER);
    if (lpAutoDialEntries && lpAutoDialEntries->dwSize != sizeof(RASAUTODIALENTRYA))
        return log.Done(ERROR_INVALID_SIZE);
    std::vector<AutodialRecord> records;
    if (!ReadAutodialAddress(lpszAddress ? lpszAddress : "", records)) {
        *lpdwcbAutoDialEntries = 0;
        *lpdwcAutoDialEntries = 0;
        return log.Done(ERROR_FILE_NOT_FOUND);
    }
    DWORD count = static_cast<DWORD>(records.size());
    DWORD needed = count * static_cast<DWORD>(sizeof(RASAUTODIALENTRYA));
    *lpdwcAutoDialEntries = count;
    if (!lpAutoDialEntries || *lpdwcbAutoDialEntries < needed) {
        *lpdwcbAutoDialEntries = needed;
        return log.Num("needed", needed).Num("count", count).Done(ERROR_BUFFER_TOO_SMALL);
    }
    for (DWORD i = 0; i < count; ++i) {
        RASAUTODIALENTRYA& r = lpAutoDialEntries[i];
        std::memset(&r, 0, sizeof r);
        r.dwSize = sizeof r;
        r.dwFlags = records[i].flags;
        r.dwDialingLocation = records[i].location;
        CopyField(VYN_FIELD(r, szEntry), records[i].entry);
    }
    *lpdwcbAutoDialEntries = needed;
    log.Bytes("entries", lpAutoDialEntries, needed);
    return log.Num("count", count).Done(ERROR_SUCCESS);
}
static_assert(std::is_same_v<decltype(&RasGetAutodialAddressA), PFN_RasGetAutodialAddressA>);

// Adds the address or changes its records: each record given replaces the address's
// record of the same dialing location, or is added. No records (NULL, size 0, count 0)
// removes the address; removing one that is not there gives ERROR_FILE_NOT_FOUND.
VYN_RAS_EXPORT DWORD RasSetAutodialAddressA(LPCSTR lpszAddress, DWORD dwReserved,
                                            RASAUTODIALENTRYA* lpAutoDialEntries, DWORD dwcbAutoDialEntries,
                                            DWORD dwcAutoDialEntries) {
    CallRecord log("RasSetAutodialAddressA");
    log.Text("lpszAddress", lpszAddress).Num("dwReserved", dwReserved).Ptr("lpAutoDialEntries", lpAutoDialEntries);
    log.Num("dwcbAutoDialEntries", dwcbAutoDialEntries).Num("dwcAutoDialEntries", dwcAutoDialEntries);
    if (dwReserved || (lpszAddress && !*lpszAddress)) return log.Done(ERROR_INVALID_PARAMETER);
    AnsiString address = lpszAddress ? lpszAddress : "";
    if (!lpAutoDialEntries) {
        if (dwcbAutoDialEntries || dwcAutoDialEntries) return log.Done(ERROR_INVALID_PARAMETER);
        bool found = false;
        if (!DeleteAutodialAddress(address, found)) return log.Done(ERROR_CANNOT_WRITE_PHONEBOOK);
        return log.Done(found ? DWORD(ERROR_SUCCESS) : DWORD(ERROR_FILE_NOT_FOUND));
    }
    if (dwcAutoDialEntries == 0) return log.Done(ERROR_INVALID_PARAMETER);
    if (lpAutoDialEntries->dwSize != sizeof(RASAUTODIALENTRYA)) return log.Done(ERROR_INVALID_SIZE);
    if (dwcbAutoDialEntries < dwcAutoDialEntries * sizeof(RASAUTODIALENTRYA))
        return log.Done(ERROR_INVALID_PARAMETER);
    log.Bytes("entries", lpAutoDialEntries, dwcAutoDialEntries * sizeof(RASAUTODIALENTRYA));
    std::vector<AutodialRecord> records;
    for (DWORD i = 0; i < dwcAutoDialEntries; ++i) {
        const RASAUTODIALENTRYA& r = lpAutoDialEntries[i];
        if (r.dwSize != sizeof r) return log.Done(ERROR_INVALID_SIZE);
        if (!Terminated(VYN_FIELD(r, szEntry))) return log.Done(ERROR_INVALID_PARAMETER);
        records.push_back({r.dwFlags, r.dwDialingLocation, r.szEntry});
    }
    return log.Done(SetAutodialAddress(address, records) ? DWORD(ERROR_SUCCESS)
                                                         : DWORD(ERROR_CANNOT_WRITE_PHONEBOOK));
}
static_assert(std::is_same_v<decltype(&RasSetAutodialAddressA), PFN_RasSetAutodialAddressA>);

// A test control: an application asks for `lpszAddress` (a host name or an IP address).
// The platform's AutoDial answers on a thread of its own while the application waits.
VYN_RAS_EXPORT DWORD VynSimRequestAddress(LPCSTR lpszAddress) {
    AnsiString address = lpszAddress ? lpszAddress : "";
    DWORD rc = ERROR_NOT_SUPPORTED;
    std::thread([&] {
        try {
            rc = AnswerAddressRequest(address);
        } catch (...) {}
    }).join();
    return rc;
}
static_assert(std::is_same_v<decltype(&VynSimRequestAddress), PFN_VynSimRequestAddress>);
