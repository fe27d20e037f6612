#include "Edition.h"

#include "Hosts.h"

namespace {
// Mirvane dials the Corvala line's single access number behind the configured prefixes.
const AnsiString kCorvalaAccessNumber = "0";
}  // namespace

AnsiString TEdition::SettingsFile(const AnsiString& ownIniFile) const { return ownIniFile; }

bool TEdition::Configured(const AnsiString&, bool modemStored, int modemCount) const {
    // A modem to dial with: stored, or the only one there is.
    return modemStored || modemCount == 1;
}

AnsiString TEdition::EntryNumber() const { return kCorvalaAccessNumber; }
AnsiString TEdition::DialNumber(const TServices&) const { return kCorvalaAccessNumber; }
AnsiString TEdition::WaitingNumber(const TServices&) const { return kCorvalaAccessNumber; }
AnsiString TEdition::RedialNumber(const TServices&) const { return kCorvalaAccessNumber; }
AnsiString TEdition::LongDistancePrefix(const TServices&) const { return ""; }
AnsiString TEdition::ReportPrefix(const TServices&) const { return ""; }
AnsiString TEdition::PageAfterConnect(const AnsiString&) const { return TelecomHomePage(); }

const TEdition& MirvaneEdition() {
    static const TEdition edition;
    return edition;
}

const TEdition* ProgramEdition = &MirvaneEdition();
