#include "DialerEdition.h"

#include "platform/ShellApi.h"
#include "settings/Hosts.h"

namespace {
// Mirvane dials the Corvala line's single access number behind the configured prefixes.
const AnsiString kAccessNumber = "0";
} // namespace

TDialerEdition::TDialerEdition()
    : entryNumber([] { return kAccessNumber; }),
      dialNumber([] { return kAccessNumber; }),
      waitingNumber([] { return kAccessNumber; }),
      redialNumber([] { return kAccessNumber; }),
      longDistancePrefix([] { return AnsiString(); }),
      reportPrefix([] { return AnsiString(); }),
      pageAfterConnect([](const AnsiString&) { return TelecomHomePage(); }) {}

void OpenPageInBrowser(const AnsiString& url) { ShellExecuteA(nullptr, "open", url, "", "", SW_SHOWNORMAL); }
