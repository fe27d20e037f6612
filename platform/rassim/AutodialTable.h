#pragma once
// The AutoDial table of the simulated dial-up service (addresses and the entries that dial
// them), kept in the machine file "autodial.txt", one record a line:
//     <address, UTF-8><TAB><dialing location><TAB><flags><TAB><entry name, UTF-8>
// An empty address is the default Internet connection: what the platform keeps for the
// address NULL. An address has one record per dialing location, in the order first set.
// Addresses are matched ignoring the case of their letters. Lines not of this form are
// skipped.
#include "platform/AnsiString.h"

#include <cstdint>
#include <vector>

struct AutodialRecord {
    uint32_t flags = 0;
    uint32_t location = 0;
    AnsiString entry;
};

// False when the address is not in the table.
bool ReadAutodialAddress(const AnsiString& address, std::vector<AutodialRecord>& records);
// Adds the address, or replaces its record of each dialing location given and adds the
// others. False when the file could not be written.
bool SetAutodialAddress(const AnsiString& address, const std::vector<AutodialRecord>& records);
// Removes the address; `found` tells whether it was there. False when the file could not be
// written.
bool DeleteAutodialAddress(const AnsiString& address, bool& found);
