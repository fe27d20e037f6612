#pragma once
// The dial-up service's records, codes and entry points as the programs and the simulated
// service (platform/rassim) share them: the RAS interface before Windows 2000, ANSI
// variants, laid out as the 32-bit platform lays them out (packing 4). Handles are 32-bit
// values, so every record has the platform's size on 64-bit Linux too; the asserts below
// hold every size and offset.
#include "WinTypes.h"

#include <cstddef>
#include <cstdint>

typedef unsigned int UINT;

typedef uint32_t HRASCONN;  // 0 = none
typedef HRASCONN* LPHRASCONN;

// Text field lengths (each field holds one more byte for the terminating zero).
enum : unsigned {
    RAS_MaxEntryName = 256,
    RAS_MaxDeviceType = 16,
    RAS_MaxDeviceName = 128,
    RAS_MaxPhoneNumber = 128,
    RAS_MaxCallbackNumber = 128,
    RAS_MaxAreaCode = 10,
    RAS_MaxPadType = 32,
    RAS_MaxX25Address = 200,
    RAS_MaxFacilities = 200,
    RAS_MaxUserData = 200,
    RAS_MaxPath = 260,
    UNLEN = 256,
    PWLEN = 256,
    DNLEN = 15,
};

enum RASCONNSTATE : int {
    RASCS_OpenPort = 0,
    RASCS_PortOpened,
    RASCS_ConnectDevice,
    RASCS_DeviceConnected,
    RASCS_AllDevicesConnected,
    RASCS_Authenticate,
    RASCS_AuthNotify,
    RASCS_AuthRetry,
    RASCS_AuthCallback,
    RASCS_AuthChangePassword,
    RASCS_AuthProject,
    RASCS_AuthLinkSpeed,
    RASCS_AuthAck,
    RASCS_ReAuthenticate,
    RASCS_Authenticated,
    RASCS_PrepareForCallback,
    RASCS_WaitForModemReset,
    RASCS_WaitForCallback,
    RASCS_Projected,
    RASCS_StartAuthentication,
    RASCS_CallbackComplete,
    RASCS_LogonNetwork,
    RASCS_SubEntryConnected,
    RASCS_SubEntryDisconnected,
    RASCS_Interactive = 0x1000,
    RASCS_RetryAuthentication,
    RASCS_CallbackSetByCaller,
    RASCS_PasswordExpired,
    RASCS_Connected = 0x2000,
    RASCS_Disconnected,
};

// Entry options, protocols and framing used by the programs' phonebook entry.
enum : DWORD {
    RASEO_IpHeaderCompression = 0x8,
    RASEO_RemoteDefaultGateway = 0x10,
    RASEO_SwCompression = 0x200,
    RASNP_Ip = 0x4,
    RASFP_Ppp = 0x1,
};

// The message a RasDialFunc1 notifier receives.
enum : UINT { WM_RASDIALEVENT = 0xCCCD };

// The dial-up service's result codes (the general ones, such as ERROR_INVALID_HANDLE 6, are
// in WinTypes.h).
enum : DWORD {
    RASBASE = 600,
    PENDING = 600,
    ERROR_INVALID_PORT_HANDLE = 601,
    ERROR_BUFFER_TOO_SMALL = 603,
    ERROR_DEVICE_DOES_NOT_EXIST = 608,
    ERROR_DEVICETYPE_DOES_NOT_EXIST = 609,
    ERROR_BUFFER_INVALID = 610,
    ERROR_PORT_NOT_OPEN = 618,
    ERROR_PORT_DISCONNECTED = 619,
    ERROR_CANNOT_OPEN_PHONEBOOK = 621,
    ERROR_CANNOT_LOAD_PHONEBOOK = 622,
    ERROR_CANNOT_FIND_PHONEBOOK_ENTRY = 623,
    ERROR_CANNOT_WRITE_PHONEBOOK = 624,
    ERROR_CORRUPT_PHONEBOOK = 625,
    ERROR_KEY_NOT_FOUND = 627,
    ERROR_DISCONNECTION = 628,
    ERROR_REMOTE_DISCONNECTION = 629,
    ERROR_HARDWARE_FAILURE = 630,
    ERROR_USER_DISCONNECTION = 631,
    ERROR_INVALID_SIZE = 632,
    ERROR_PORT_NOT_AVAILABLE = 633,
    ERROR_UNKNOWN = 635,
    ERROR_REQUEST_TIMEOUT = 638,
    ERROR_NO_CONNECTION = 668,
    ERROR_LINE_BUSY = 676,
    ERROR_VOICE_ANSWER = 677,
    ERROR_NO_ANSWER = 678,
    ERROR_NO_CARRIER = 679,
    ERROR_NO_DIALTONE = 680,
    ERROR_AUTHENTICATION_FAILURE = 691,
    ERROR_PORT_OR_DEVICE = 692,
    ERROR_PPP_TIMEOUT = 718,
    RASBASEEND = 752,
};

#pragma pack(push, 4)

struct RASIPADDR {
    BYTE a, b, c, d;
};

struct RASENTRYNAMEA {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
};

struct RASCONNA {
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};

struct RASCONNSTATUSA {
    DWORD dwSize;
    RASCONNSTATE rasconnstate;
    DWORD dwError;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};

// The record up to dwReserved2; the fields from dwSubEntries on came with Windows 2000.
struct RASENTRYA {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    CHAR szAreaCode[RAS_MaxAreaCode + 1];
    CHAR szLocalPhoneNumber[RAS_MaxPhoneNumber + 1];
    DWORD dwAlternateOffset;
    RASIPADDR ipaddr;
    RASIPADDR ipaddrDns;
    RASIPADDR ipaddrDnsAlt;
    RASIPADDR ipaddrWins;
    RASIPADDR ipaddrWinsAlt;
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    CHAR szScript[RAS_MaxPath];
    CHAR szAutodialDll[RAS_MaxPath];
    CHAR szAutodialFunc[RAS_MaxPath];
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
    CHAR szX25PadType[RAS_MaxPadType + 1];
    CHAR szX25Address[RAS_MaxX25Address + 1];
    CHAR szX25Facilities[RAS_MaxFacilities + 1];
    CHAR szX25UserData[RAS_MaxUserData + 1];
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
};

struct RASDIALPARAMSA {
    DWORD dwSize;
    CHAR szEntryName[RAS_MaxEntryName + 1];
    CHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
    CHAR szCallbackNumber[RAS_MaxCallbackNumber + 1];
    CHAR szUserName[UNLEN + 1];
    CHAR szPassword[PWLEN + 1];
    CHAR szDomain[DNLEN + 1];
};

struct RASDEVINFOA {
    DWORD dwSize;
    CHAR szDeviceType[RAS_MaxDeviceType + 1];
    CHAR szDeviceName[RAS_MaxDeviceName + 1];
};

struct RAS_STATS {
    DWORD dwSize;
    DWORD dwBytesXmited;
    DWORD dwBytesRcved;
    DWORD dwFramesXmited;
    DWORD dwFramesRcved;
    DWORD dwCrcErr;
    DWORD dwTimeoutErr;
    DWORD dwAlignmentErr;
    DWORD dwHardwareOverrunErr;
    DWORD dwFramingErr;
    DWORD dwBufferOverrunErr;
    DWORD dwCompressionRatioIn;
    DWORD dwCompressionRatioOut;
    DWORD dwBps;
    DWORD dwConnectDuration;
};

struct RASAUTODIALENTRYA {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwDialingLocation;
    CHAR szEntry[RAS_MaxEntryName + 1];
};

#pragma pack(pop)

// --- sizes and offsets of the platform's layouts ----------------------------------------
#define VYN_RAS_AT(record, field, offset) static_assert(offsetof(record, field) == (offset), #record "." #field)

static_assert(sizeof(RASIPADDR) == 4);

static_assert(sizeof(RASENTRYNAMEA) == 264);
VYN_RAS_AT(RASENTRYNAMEA, szEntryName, 4);

static_assert(sizeof(RASCONNA) == 412);
VYN_RAS_AT(RASCONNA, hrasconn, 4);
VYN_RAS_AT(RASCONNA, szEntryName, 8);
VYN_RAS_AT(RASCONNA, szDeviceType, 265);
VYN_RAS_AT(RASCONNA, szDeviceName, 282);

static_assert(sizeof(RASCONNSTATE) == 4);
static_assert(sizeof(RASCONNSTATUSA) == 160);
VYN_RAS_AT(RASCONNSTATUSA, rasconnstate, 4);
VYN_RAS_AT(RASCONNSTATUSA, dwError, 8);
VYN_RAS_AT(RASCONNSTATUSA, szDeviceType, 12);
VYN_RAS_AT(RASCONNSTATUSA, szDeviceName, 29);

static_assert(sizeof(RASENTRYA) == 1768);
VYN_RAS_AT(RASENTRYA, dwfOptions, 4);
VYN_RAS_AT(RASENTRYA, dwCountryID, 8);
VYN_RAS_AT(RASENTRYA, dwCountryCode, 12);
VYN_RAS_AT(RASENTRYA, szAreaCode, 16);
VYN_RAS_AT(RASENTRYA, szLocalPhoneNumber, 27);
VYN_RAS_AT(RASENTRYA, dwAlternateOffset, 156);
VYN_RAS_AT(RASENTRYA, ipaddr, 160);
VYN_RAS_AT(RASENTRYA, ipaddrDns, 164);
VYN_RAS_AT(RASENTRYA, ipaddrDnsAlt, 168);
VYN_RAS_AT(RASENTRYA, ipaddrWins, 172);
VYN_RAS_AT(RASENTRYA, ipaddrWinsAlt, 176);
VYN_RAS_AT(RASENTRYA, dwFrameSize, 180);
VYN_RAS_AT(RASENTRYA, dwfNetProtocols, 184);
VYN_RAS_AT(RASENTRYA, dwFramingProtocol, 188);
VYN_RAS_AT(RASENTRYA, szScript, 192);
VYN_RAS_AT(RASENTRYA, szAutodialDll, 452);
VYN_RAS_AT(RASENTRYA, szAutodialFunc, 712);
VYN_RAS_AT(RASENTRYA, szDeviceType, 972);
VYN_RAS_AT(RASENTRYA, szDeviceName, 989);
VYN_RAS_AT(RASENTRYA, szX25PadType, 1118);
VYN_RAS_AT(RASENTRYA, szX25Address, 1151);
VYN_RAS_AT(RASENTRYA, szX25Facilities, 1352);
VYN_RAS_AT(RASENTRYA, szX25UserData, 1553);
VYN_RAS_AT(RASENTRYA, dwChannels, 1756);
VYN_RAS_AT(RASENTRYA, dwReserved1, 1760);
VYN_RAS_AT(RASENTRYA, dwReserved2, 1764);

static_assert(sizeof(RASDIALPARAMSA) == 1052);
VYN_RAS_AT(RASDIALPARAMSA, szEntryName, 4);
VYN_RAS_AT(RASDIALPARAMSA, szPhoneNumber, 261);
VYN_RAS_AT(RASDIALPARAMSA, szCallbackNumber, 390);
VYN_RAS_AT(RASDIALPARAMSA, szUserName, 519);
VYN_RAS_AT(RASDIALPARAMSA, szPassword, 776);
VYN_RAS_AT(RASDIALPARAMSA, szDomain, 1033);

static_assert(sizeof(RASDEVINFOA) == 152);
VYN_RAS_AT(RASDEVINFOA, szDeviceType, 4);
VYN_RAS_AT(RASDEVINFOA, szDeviceName, 21);

static_assert(sizeof(RAS_STATS) == 60);
VYN_RAS_AT(RAS_STATS, dwBytesXmited, 4);
VYN_RAS_AT(RAS_STATS, dwBytesRcved, 8);
VYN_RAS_AT(RAS_STATS, dwFramesXmited, 12);
VYN_RAS_AT(RAS_STATS, dwFramesRcved, 16);
VYN_RAS_AT(RAS_STATS, dwCrcErr, 20);
VYN_RAS_AT(RAS_STATS, dwTimeoutErr, 24);
VYN_RAS_AT(RAS_STATS, dwAlignmentErr, 28);
VYN_RAS_AT(RAS_STATS, dwHardwareOverrunErr, 32);
VYN_RAS_AT(RAS_STATS, dwFramingErr, 36);
VYN_RAS_AT(RAS_STATS, dwBufferOverrunErr, 40);
VYN_RAS_AT(RAS_STATS, dwCompressionRatioIn, 44);
VYN_RAS_AT(RAS_STATS, dwCompressionRatioOut, 48);
VYN_RAS_AT(RAS_STATS, dwBps, 52);
VYN_RAS_AT(RAS_STATS, dwConnectDuration, 56);

static_assert(sizeof(RASAUTODIALENTRYA) == 272);
VYN_RAS_AT(RASAUTODIALENTRYA, dwFlags, 4);
VYN_RAS_AT(RASAUTODIALENTRYA, dwDialingLocation, 8);
VYN_RAS_AT(RASAUTODIALENTRYA, szEntry, 12);

#undef VYN_RAS_AT

// --- entry points, as the programs bind them by name -------------------------------------
extern "C" {
// The notifier of a dial (notifier type 1).
typedef void (*RasDialFunc1)(HRASCONN hrasconn, UINT unMsg, RASCONNSTATE rascs, DWORD dwError, DWORD dwExtendedError);

// lpRasDialExtensions is always null in the programs.
typedef DWORD (*PFN_RasDialA)(void* lpRasDialExtensions, LPCSTR lpszPhonebook, RASDIALPARAMSA* lpRasDialParams,
                              DWORD dwNotifierType, void* lpvNotifier, LPHRASCONN lphRasConn);
typedef DWORD (*PFN_RasHangUpA)(HRASCONN hrasconn);
typedef DWORD (*PFN_RasGetConnectStatusA)(HRASCONN hrasconn, RASCONNSTATUSA* lpRasConnStatus);
typedef DWORD (*PFN_RasGetErrorStringA)(UINT uErrorValue, LPSTR lpszErrorString, DWORD cBufSize);
typedef DWORD (*PFN_RasEnumConnectionsA)(RASCONNA* lprasconn, LPDWORD lpcb, LPDWORD lpcConnections);
typedef DWORD (*PFN_RasEnumEntriesA)(LPCSTR reserved, LPCSTR lpszPhonebook, RASENTRYNAMEA* lprasentryname,
                                     LPDWORD lpcb, LPDWORD lpcEntries);
typedef DWORD (*PFN_RasDeleteEntryA)(LPCSTR lpszPhonebook, LPCSTR lpszEntry);
typedef DWORD (*PFN_RasGetEntryPropertiesA)(LPCSTR lpszPhonebook, LPCSTR lpszEntry, RASENTRYA* lpRasEntry,
                                            LPDWORD lpdwEntryInfoSize, LPBYTE lpbDeviceInfo,
                                            LPDWORD lpdwDeviceInfoSize);
typedef DWORD (*PFN_RasSetEntryPropertiesA)(LPCSTR lpszPhonebook, LPCSTR lpszEntry, RASENTRYA* lpRasEntry,
                                            DWORD dwEntryInfoSize, LPBYTE lpbDeviceInfo, DWORD dwDeviceInfoSize);
typedef DWORD (*PFN_RasEnumDevicesA)(RASDEVINFOA* lpRasDevInfo, LPDWORD lpcb, LPDWORD lpcDevices);
// hwnd: the owner window, null in the programs.
typedef DWORD (*PFN_RasEditPhonebookEntryA)(void* hwnd, LPCSTR lpszPhonebook, LPCSTR lpszEntryName);
typedef DWORD (*PFN_RasGetConnectionStatistics)(HRASCONN hrasconn, RAS_STATS* lpStatistics);
typedef DWORD (*PFN_RasGetAutodialAddressA)(LPCSTR lpszAddress, LPDWORD lpdwReserved,
                                            RASAUTODIALENTRYA* lpAutoDialEntries, LPDWORD lpdwcbAutoDialEntries,
                                            LPDWORD lpdwcAutoDialEntries);
typedef DWORD (*PFN_RasSetAutodialAddressA)(LPCSTR lpszAddress, DWORD dwReserved,
                                            RASAUTODIALENTRYA* lpAutoDialEntries, DWORD dwcbAutoDialEntries,
                                            DWORD dwcAutoDialEntries);
}
