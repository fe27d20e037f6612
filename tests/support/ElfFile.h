#pragma once
// What the dynamic loader and the linker see of a built file (64-bit ELF, GNU archives), read
// from the file itself.
#include <set>
#include <string>
#include <vector>

// The libraries a program or shared object names in its dynamic section; {"(not ELF)"} for
// a file of another kind.
std::vector<std::string> NeededLibraries(const std::string& path);
// The names it exports: the defined global and weak symbols of its dynamic symbol table.
std::set<std::string> ExportedSymbols(const std::string& path);
// The names a static library's members define as their own: global symbols, not the weak
// ones of the inline functions and template instances (the standard library's, Qt's) they
// carry.
std::set<std::string> ArchiveDefinitions(const std::string& path);
