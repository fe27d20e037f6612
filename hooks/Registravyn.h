#pragma once
// The custom-dial hook's side of the dialer's path record: the program that the dialer
// recorded under HKEY_CURRENT_USER "Software\Vyn\Ruvozava", value "discadorbinary".
#include "platform/AnsiString.h"

// The recorded path; "" when the key cannot be opened, the value is missing, holds no data,
// is not a plain string (REG_SZ), or the registry raises. Opening creates the key when it is
// missing, as the dialer's writer does.
AnsiString ReadDialerPath();
