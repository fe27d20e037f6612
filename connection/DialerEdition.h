#pragma once
// What the two editions' engines do differently: which number is dialled, what goes between
// the line prefixes and it, what the connection report carries in front of it, and which
// page opens once connected. A default-made edition is Mirvane's: the access number "0",
// no long-distance prefix, the telecom company's home page. The conventional-line edition
// fills these from its phone list and its carrier before the engine is made.
#include "platform/AnsiString.h"

#include <functional>

struct TDialerEdition {
    // The number a new phonebook entry holds.
    std::function<AnsiString()> entryNumber;
    // The number a dial the user starts begins with; "" when there is nothing to dial (the
    // edition has said why in the status log).
    std::function<AnsiString()> dialNumber;
    // The number written into the entry when the engine itself schedules a redial.
    std::function<AnsiString()> waitingNumber;
    // The number dialled when the 7-second wait ends.
    std::function<AnsiString()> redialNumber;
    // Digits between the line prefixes and the number (a long-distance prefix).
    std::function<AnsiString()> longDistancePrefix;
    // What the connection report puts before the number once a dial string is composed.
    std::function<AnsiString()> reportPrefix;
    // The page opened after a connection whose update check installed nothing.
    std::function<AnsiString(const AnsiString& login)> pageAfterConnect;

    TDialerEdition();  // Mirvane's
};

// Hands a web page to the shell ("open", no parameters, no folder, shown normally); the
// result is not looked at.
void OpenPageInBrowser(const AnsiString& url);
