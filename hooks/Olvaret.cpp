// Olvaret: the custom-dial library. Dial-up networking calls it in place of dialing an
// entry that names it; it starts the dialer program recorded under "discadorbinary" and
// tells the platform the request was handled. It has no load or unload work to do.
#include "Callui.h"
#include "HookExport.h"
#include "Registravyn.h"

#include "platform/RasHooks.h"
#include "platform/ShellApi.h"

void StartDialerProgram() {
    // An empty path starts nothing; the shell's answer changes nothing for the caller.
    ShellExecuteA(nullptr, "open", ReadDialerPath(), kDialParameters, "", SW_SHOWNORMAL);
}

// The handle *lphRasConn is left as the caller set it: the dialer program makes its own
// connection.
VYN_HOOK_EXPORT DWORD RasCustomDial(HINSTANCE, void*, LPCWSTR, void*, DWORD, void*, LPHRASCONN, DWORD) {
    // No thread, no start: the platform must not take the request as handled.
    return StartCallUI("") ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

VYN_HOOK_EXPORT BOOL RasCustomDialDlg(HINSTANCE, DWORD, LPWSTR, LPWSTR lpszEntry, LPWSTR, RASDIALDLG* lpInfo, void*) {
    bool started = false;
    try {
        started = StartCallUI(EntryNameText(lpszEntry));
    } catch (...) {}
    if (started) return TRUE;
    if (lpInfo) lpInfo->dwError = ERROR_NOT_ENOUGH_MEMORY;  // where a failed dialog reports why
    return FALSE;
}
