#pragma once
// The phonebook of the simulated dial-up service, kept in the machine file "phonebook.txt".
//
// Each entry keeps the raw RASENTRYA bytes and the size it was written with, so a later
// read hands back exactly what was set. One entry a line, in the order the entries were
// first written:
//     <entry name, UTF-8><TAB><size in bytes><TAB><the bytes in hexadecimal>
// Lines that do not have this form are skipped. Names are matched ignoring the case of
// their letters (code page 1252), as the platform's phonebook does; a rewrite keeps the
// name as it was first written and the entry's place.
#include "platform/AnsiString.h"

#include <string>
#include <vector>

struct PhonebookEntry {
    AnsiString name;
    std::string bytes;  // as written; bytes.size() is the size written
};

// The general code for a name the phonebook does not take.
#ifndef ERROR_INVALID_NAME
#define ERROR_INVALID_NAME 123L
#endif

std::vector<PhonebookEntry> ReadPhonebook();
bool FindPhonebookEntry(const AnsiString& name, PhonebookEntry& entry);
// A change is refused when the file exists but cannot be read (nothing is written, so the
// entries in it stay): ERROR_CANNOT_OPEN_PHONEBOOK; ERROR_CANNOT_WRITE_PHONEBOOK when the
// replacement failed.
// 0, ERROR_CANNOT_OPEN_PHONEBOOK or ERROR_CANNOT_WRITE_PHONEBOOK.
unsigned StorePhonebookEntry(const AnsiString& name, const std::string& bytes);
// 0, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, ERROR_CANNOT_OPEN_PHONEBOOK or ERROR_CANNOT_WRITE_PHONEBOOK.
unsigned DeletePhonebookEntry(const AnsiString& name);

// Whether two entry names are the same name (1252 letters compared ignoring case).
bool SameEntryName(const AnsiString& a, const AnsiString& b);
// A name the phonebook takes: 1 to 256 bytes, no control characters, not starting with '.'.
bool ValidEntryName(const AnsiString& name);
