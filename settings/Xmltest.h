#pragma once
// Checks that a file beside the program (plain or gzip) is a complete, well-formed XML
// document; the phone-list vocabulary is not looked at. Writes no status line.
#include "platform/AnsiString.h"

class TXMLtest {
public:
    TXMLtest() = default;
    bool Test(const AnsiString& fileName);

private:
    bool result = false;
};
