#include "Perf2K.h"

#include "settings/Log.h"

TPerf2K::TPerf2K() {
    library_ = LoadLibraryA("RASAPI32.DLL");
    if (!library_) return;
    getConnectionStatistics_ =
        reinterpret_cast<PFN_RasGetConnectionStatistics>(GetProcAddress(library_, "RasGetConnectionStatistics"));
    if (!getConnectionStatistics_) {
        if (Logger)
            Logger->Add(
                "Não foi possível ler o arquivo RASAPI32.DLL, certifique-se de que o Acesso à Rede Dial-Up esteja "
                "instalado."_a);
        FreeLibrary(library_);
        library_ = nullptr;
        return;
    }
    ok_ = true;
}

TPerf2K::~TPerf2K() {
    if (library_) FreeLibrary(library_);
}

DWORD TPerf2K::GetSpeed(HRASCONN connection) {
    if (!getConnectionStatistics_) return 0;
    RAS_STATS stats{};
    stats.dwSize = sizeof stats;
    return getConnectionStatistics_(connection, &stats) == ERROR_SUCCESS ? stats.dwBps : 0;
}
