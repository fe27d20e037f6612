// Tebrin: the AutoDial handler the dialer's phonebook entry names. When an application needs
// a connection that is not there, dial-up networking calls it; it starts the conventional-
// line program "Brenwick.exe" and tells the platform the request was handled. It has no load
// or unload work to do.
#include "Callui.h"
#include "HookExport.h"

#include "platform/Dialogs.h"
#include "platform/RasHooks.h"
#include "platform/ShellApi.h"

#include <dlfcn.h>
#include <memory>

namespace {
AnsiString lookUpFailureText(intptr_t code) {
    switch (code) {
    case 0: return "Não há memória disponível."_a;
    case ERROR_FILE_NOT_FOUND: return "Ruvozava não encontrado"_a;
    case ERROR_PATH_NOT_FOUND: return "Caminho para o discador não encontrado."_a;
    case ERROR_BAD_FORMAT: return "Programa discador corrompido."_a;
    case SE_ERR_NOASSOC: return "Não há associação para o arquivo especificado."_a;
    default: return "Erro não esperado."_a;
    }
}

// The folder this library was loaded from: the dialer's own, where its entry points to it.
AnsiString libraryFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&libraryFolder), &info) || !info.dli_fname) return {};
    return ExtractFileDir(Utf8ToAnsi(info.dli_fname));
}

bool handle(LPDWORD lpdwRetCode, const AnsiString& entryName) {
    if (!StartCallUI(entryName)) return false;  // the platform then goes on its own way
    if (lpdwRetCode) *lpdwRetCode = 0;
    return true;
}
}  // namespace

void StartDialerProgram() {
    auto found = std::make_unique<char[]>(MAX_PATH);
    // Looked up beside this library, not in the current folder of whatever application
    // loaded it: a "Brenwick.exe" left in that folder must not be started.
    AnsiString folder = libraryFolder();
    intptr_t result = FindExecutableA("Brenwick.exe", folder.empty() ? nullptr : folder.c_str(), found.get());
    if (result > 32) ShellExecuteA(nullptr, "open", found.get(), kDialParameters, "", SW_SHOWNORMAL);
    else MessageBox(lookUpFailureText(result), "Brenwick", MB_TASKMODAL | MB_ICONHAND | MB_OK);
}

VYN_HOOK_EXPORT BOOL AutoDialHandlerA(LPSTR, LPSTR lpszEntry, RASADPARAMS*, LPDWORD lpdwRetCode) {
    try {
        return handle(lpdwRetCode, EntryNameText(lpszEntry)) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

VYN_HOOK_EXPORT BOOL AutoDialHandlerW(LPWSTR, LPWSTR lpszEntry, RASADPARAMS*, LPDWORD lpdwRetCode) {
    try {
        return handle(lpdwRetCode, EntryNameText(lpszEntry)) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}
