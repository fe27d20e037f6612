#include "ShellOpen.h"

#include "platform/ShellApi.h"

intptr_t ShellOpen(const AnsiString& target) { return ShellExecuteA(nullptr, "open", target, "", "", SW_SHOWNORMAL); }
