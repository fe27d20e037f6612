#pragma once
// The registry as text (docs/REGISTRY.md): what tests and the demo machine write to describe
// a machine's registry, and the form the simulated machine keeps it in. UTF-8 text; names and
// strings become 1252 bytes; every value has an explicit type and exact bytes.
//
//   [HKEY_CURRENT_USER\Software\Vyn\Ruvozava]
//   "discadorbinary" = REG_SZ "C:\\Vyn\\Mirvane.exe"
//   "empty" = REG_SZ hex:
//   "flags" = REG_BINARY 01 00 00 00
//   "count" = REG_DWORD 0x00000001
#include "RegistryTree.h"

#include <string>
#include <string_view>

// Adds the keys and values of `text` to `tree` (existing values are replaced in place).
// A malformed line raises Exception naming its line number; `tree` may then hold the lines
// before it.
void ParseRegistrySeed(std::string_view text, RegTree& tree);
// The whole tree in the canonical form: parsing it gives the same tree, order and case included.
std::string FormatRegistrySeed(const RegTree& tree);

// A 1252 text quoted as the format quotes it: "\" and the quote escaped, control bytes as \xHH.
std::string QuoteRegText(const AnsiString& text);
// Reads the quoted text at the start of `s` (after blanks) into `out`: the number of
// characters taken, or std::string_view::npos when `s` does not start with one.
std::size_t UnquoteRegText(std::string_view s, AnsiString& out);
