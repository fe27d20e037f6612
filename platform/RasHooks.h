#pragma once
// The records and prototypes through which dial-up networking calls the hook libraries: a
// phonebook entry's custom-dial library (RasCustomDial, RasCustomDialDlg) and its AutoDial
// handler (AutoDialHandlerA/W). Records keep the 32-bit platform's layout (packing 4,
// 32-bit window handles), as RasApi.h does.
//
// The platform calls these with its own calling convention (the callee removes the
// arguments). x86-64 Linux has one convention, so the libraries export plain C functions
// with the platform's argument lists and results.
#include "Library.h"
#include "RasApi.h"
#include "WinTypes.h"

#include <cstddef>

using HINSTANCE = HMODULE;

#pragma pack(push, 4)

// What the dial dialog gets from its caller; a custom-dial library may report back in it.
struct RASDIALDLG {
    DWORD dwSize;
    DWORD hwndOwner;  // a 32-bit window handle
    DWORD dwFlags;
    LONG xDlg;
    LONG yDlg;
    DWORD dwSubEntry;
    DWORD dwError;
    DWORD reserved;
    DWORD reserved2;
};

// Where the AutoDial handler may place its dialog (the same in the 8-bit and wide forms).
struct RASADPARAMS {
    DWORD dwSize;
    DWORD hwndOwner;
    DWORD dwFlags;
    LONG xDlg;
    LONG yDlg;
};

// The dial parameters as the platform hands them to a custom-dial library: the wide form of
// RASDIALPARAMSA, field for field.
struct RASDIALPARAMSW {
    DWORD dwSize;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
    WCHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
    WCHAR szCallbackNumber[RAS_MaxCallbackNumber + 1];
    WCHAR szUserName[UNLEN + 1];
    WCHAR szPassword[PWLEN + 1];
    WCHAR szDomain[DNLEN + 1];
};

#pragma pack(pop)

static_assert(sizeof(RASDIALPARAMSW) == 2096);
static_assert(offsetof(RASDIALPARAMSW, szPhoneNumber) == 518);
static_assert(offsetof(RASDIALPARAMSW, szDomain) == 2062);
static_assert(sizeof(RASDIALDLG) == 36);
static_assert(offsetof(RASDIALDLG, dwError) == 24);
static_assert(offsetof(RASDIALDLG, reserved2) == 32);
static_assert(sizeof(RASADPARAMS) == 20);
static_assert(offsetof(RASADPARAMS, yDlg) == 16);

extern "C" {
// Dials in place of the service. The platform passes its own dial extensions and dial
// parameters (RASDIALPARAMSW); the hooks read neither, so they are typed as plain pointers.
typedef DWORD (*PFN_RasCustomDial)(HINSTANCE hInstDll, void* lpRasDialExtensions, LPCWSTR lpszPhonebook,
                                   void* lpRasDialParams, DWORD dwNotifierType, void* lpvNotifier,
                                   LPHRASCONN lphRasConn, DWORD dwFlags);
// The dial dialog in place of the platform's.
typedef BOOL (*PFN_RasCustomDialDlg)(HINSTANCE hInstDll, DWORD dwFlags, LPWSTR lpszPhonebook, LPWSTR lpszEntry,
                                     LPWSTR lpszPhoneNumber, RASDIALDLG* lpInfo, void* pvInfo);
// The AutoDial handler: TRUE when it took the request, with its result in *lpdwRetCode.
typedef BOOL (*PFN_AutoDialHandlerA)(LPSTR lpszPhonebook, LPSTR lpszEntry, RASADPARAMS* lpAutoDialParams,
                                     LPDWORD lpdwRetCode);
typedef BOOL (*PFN_AutoDialHandlerW)(LPWSTR lpszPhonebook, LPWSTR lpszEntry, RASADPARAMS* lpAutoDialParams,
                                     LPDWORD lpdwRetCode);
}
