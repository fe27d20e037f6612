#pragma once
// Where the service hands a request over to a library that the phonebook names, as dial-up
// networking does: the AutoDial handler of the entry that an address dials, and the custom-
// dial library that dials an entry in the service's place. The libraries are loaded by their
// paths (LoadLibraryA), called and freed again; each call is logged in the call log.
#include "CallLog.h"

#include "platform/AnsiString.h"
#include "platform/RasApi.h"

// An application asked for `address` and found no connection. Looks the address up in the
// AutoDial table, reads its entry's AutoDial library and function from the phonebook and
// calls the function's "A" form. Nothing happens while a connection is up. Logs one
// "AutoDial" record (its "outcome" says how it ended) and returns its result: the handler's
// return code when it took the request, else the reason it was not called.
DWORD AnswerAddressRequest(const AnsiString& address);

// The custom-dial library the machine's "custom-dial.txt" names for the entry; false when
// none (or the machine plays a Windows without custom dialing).
bool CustomDialLibraryOf(const AnsiString& entry, AnsiString& library);

// RasDialA of an entry with a custom-dial library: calls its RasCustomDial with the dial's
// arguments in place of dialing and logs `dial` with its result, which RasDialA returns.
DWORD CustomDial(const AnsiString& library, void* extensions, const RASDIALPARAMSA& params, DWORD notifierType,
                 void* notifier, LPHRASCONN handle, CallRecord& dial);
