#pragma once
// Brenwick, the conventional-line edition: it keeps its settings in Mirvane's file, counts
// as configured once a destination state is stored, logs a destination the phone list
// lacks, and dials the destination city's access numbers in turn over the ordinary line,
// with a long-distance prefix when the destination lies in another area code.
#include "settings/Edition.h"

class TConventionalEdition : public TEdition {
public:
    // The own ini path without the first "Roaming" of its file name; a folder's is kept.
    AnsiString SettingsFile(const AnsiString& ownIniFile) const override;
    // A stored state code of two characters; the modem has no part in it.
    bool Configured(const AnsiString& state, bool modemStored, int modemCount) const override;
    bool LogsFailedSelection() const override { return true; }

    AnsiString EntryNumber() const override;
    // The city's current number; none (and the region message) without a selected city.
    AnsiString DialNumber(const TServices& services) const override;
    // The current number: only the wait's end moves it.
    AnsiString WaitingNumber(const TServices& services) const override;
    // The next number of the city's ring.
    AnsiString RedialNumber(const TServices& services) const override;
    // "0", the carrier code and the destination's area code, when all three codes are above
    // 0 and the destination's differs from the user's own.
    AnsiString LongDistancePrefix(const TServices& services) const override;
    // The destination's area code.
    AnsiString ReportPrefix(const TServices& services) const override;
    // The sign-up page after an anonymous connection, else the telecom company's home page.
    AnsiString PageAfterConnect(const AnsiString& login) const override;
};

const TEdition& ConventionalEdition();
