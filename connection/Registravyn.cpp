#include "Registravyn.h"

#include "platform/Application.h"
#include "platform/registry/Registry.h"

void RegisterDialerPath(const AnsiString& programFileName) {
    AnsiString path = ExtractFilePath(Application->ExeName()) + programFileName;
    TRegistry reg(KEY_ALL_ACCESS);
    reg.SetRootKey(HKEY_CURRENT_USER);
    try {
        if (!reg.OpenKey("Software\\Vyn\\Ruvozava", true)) return;
        TRegDataInfo info;
        reg.GetDataInfo("discadorbinary", info);  // a missing value reads as size 0
        if (info.DataSize == 0 || info.RegData != rdString) reg.WriteString("discadorbinary", path);
    } catch (const Exception&) {
        // The start goes on without the record; the hook then finds nothing to start.
    }
    reg.CloseKey();
}
