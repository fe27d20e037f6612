#pragma once
// The RAS devices installed on the simulated machine.
//
// The machine file "devices.txt" lists them in the order RAS reports them, one a line:
// the device type, a tab, the device name ("modem\tModem Padrão 56K"). The file is UTF-8;
// the service hands the texts out as code page 1252, cut to the record's fields (type 16
// bytes, name 128). Blank lines, lines starting with '#' and lines without a tab are
// skipped; a missing file means no device. Read anew at every call.
#include "platform/AnsiString.h"

#include <vector>

struct RasDevice {
    AnsiString type;  // "modem", "isdn", "vpn" ...
    AnsiString name;
};

std::vector<RasDevice> InstalledDevices();
