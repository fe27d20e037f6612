#pragma once
// What the programs may do with each part of the simulated machine's registry, from
// "registry-access.txt" in the machine directory: one rule a line, the access word and then
// the key it covers with everything below it ("#" or ";" starts a comment line):
//
//   read  HKEY_LOCAL_MACHINE
//   none  HKEY_LOCAL_MACHINE\SAM
//   full  HKEY_LOCAL_MACHINE\Software\Vyn
//
// The rule naming the deepest key wins. Without a rule a key is fully accessible, except that
// HKEY_DYN_DATA is never more than readable. The machine's own side (seeding, the simulated
// services) is not bound by these rules.
#include "RegistryTree.h"

#include <string_view>
#include <vector>

enum class RegAccess { None, Read, Full };

struct RegAccessRule {
    RegRoot root;
    std::vector<AnsiString> names;
    RegAccess access;
};

// Raises Exception naming a malformed line.
std::vector<RegAccessRule> ParseRegistryAccessRules(std::string_view text);
RegAccess RegistryAccessFor(const std::vector<RegAccessRule>& rules, RegRoot root,
                            const std::vector<AnsiString>& names);
// From the machine's file, read at every call. A file that does not parse denies everything,
// so a mistake in it shows at once.
RegAccess RegistryAccessFor(RegRoot root, const std::vector<AnsiString>& names);
