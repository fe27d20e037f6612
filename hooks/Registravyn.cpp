#include "Registravyn.h"

#include "platform/registry/Registry.h"

#include <memory>

AnsiString ReadDialerPath() {
    AnsiString path;
    auto reg = std::make_unique<TRegistry>(KEY_ALL_ACCESS);
    reg->SetRootKey(HKEY_CURRENT_USER);
    try {
        if (reg->OpenKey("Software\\Vyn\\Ruvozava", true)) {
            TRegDataInfo info;
            reg->GetDataInfo("discadorbinary", info);  // a missing value reads as size 0
            // An expandable string is not taken: the dialer records a plain one.
            if (info.DataSize > 0 && info.RegData == rdString) path = reg->ReadString("discadorbinary");
        }
    } catch (...) {
        // Nothing to report to: the hook has already answered; no path starts nothing.
    }
    reg->CloseKey();
    return path;
}
