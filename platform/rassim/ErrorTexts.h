#pragma once
// The texts RasGetErrorStringA gives for the service's result codes, as a Portuguese system
// words them (1252). The dial script may give a code another text, a text to a code outside
// the service's range, or make a code unknown.
#include "DialScript.h"

#include "platform/AnsiString.h"

// False when the code has no text: RasGetErrorStringA then answers ERROR_INVALID_PARAMETER.
bool ErrorText(const DialScript& script, DWORD code, AnsiString& text);
