#include "RasLibrary.h"

#include "Log.h"

#include "platform/Application.h"
#include "platform/Dialogs.h"

TRasLibrary::TRasLibrary() : module_(LoadLibraryA("RASAPI32.DLL")) {}

TRasLibrary::~TRasLibrary() { Release(); }

FARPROC TRasLibrary::lookUp(const char* name) const { return module_ ? GetProcAddress(module_, name) : nullptr; }

void TRasLibrary::Release() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
}

bool TRasLibrary::BoundOrQuit() {
    if (bound()) return true;
    ShowMessage(FatalMessage());
    Release();
    Application->Terminate();
    return false;
}

bool TRasLibrary::BoundOrReport(TLogger& log) {
    if (bound()) return true;
    if (module_) log.Add(StatisticsMissingLine());
    Release();
    return false;
}

AnsiString TRasLibrary::FatalMessage() {
    return "Não foi possível ler o arquivo RASAPI32.DLL, certifique-se de que o Acesso à Rede Dial-Up esteja "
           "instalado e atualizado."_a;
}

AnsiString TRasLibrary::StatisticsMissingLine() {
    return "Não foi possível ler o arquivo RASAPI32.DLL, certifique-se de que o Acesso à Rede Dial-Up esteja "
           "instalado."_a;
}
