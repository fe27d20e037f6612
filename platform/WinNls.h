#pragma once
// The platform's conversion from wide (UTF-16) text to 8-bit text. The ANSI code page
// (CP_ACP) of the machines the system serves is 1252, as everywhere in this layer.
#include "WinTypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

// As the platform's: `wideChars` -1 converts up to and with the terminating zero (the count
// then includes it); `multiBytes` 0 only returns the size needed. Characters 1252 cannot hold
// become `defaultChar` ("?" when null) and set *usedDefaultChar (both must be null for
// CP_UTF8); an unpaired surrogate counts as such a character. No "best fit" letters are
// chosen ("Ā" is "?", not "A"). 0 for a null text, a count of 0, a code page other than
// CP_ACP, 1252 or CP_UTF8, or a buffer too small (nothing written then).
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideText, int wideChars, LPSTR multiByteText,
                        int multiBytes, LPCSTR defaultChar, LPBOOL usedDefaultChar);
