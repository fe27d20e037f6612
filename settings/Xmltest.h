#pragma once
// Checks that a file beside the program (plain or gzip) is a complete, well-formed XML
// document within the phone list's bounds (Xmlvynsup.h), so a download that passes is one
// the list will read; the phone-list vocabulary decides nothing. Writes no status line.
#include "Xmlvynsup.h"

#include "platform/AnsiString.h"

class TXMLtest {
public:
    TXMLtest() = default;
    bool Test(const AnsiString& fileName);
    // How the last test ended (Parsed when it passed).
    TXmlRead Outcome() const { return outcome_; }

private:
    bool result = false;
    TXmlRead outcome_ = TXmlRead::OpenFailed;
};
