#pragma once
// The class library's ini-file wrapper over the Windows profile functions. Every call reads
// the file anew and every write reaches the file at once: nothing is cached between calls,
// because both editions share one settings file.
//
// What the profile functions do and this keeps:
// - sections and keys match ignoring case; the first section and the first key of a name win;
// - names and values are read with the blanks around them trimmed, and a value enclosed in
//   a pair of matching quotes loses them; text is kept as the bytes it is (code page 1252);
// - a changed key is rewritten in its own line; a new key goes after the last non-blank line
//   of its section; a new section goes at the end of the file; lines end with CR LF;
//   every other line, comment or blank keeps its bytes;
// - a missing file, section or key reads as the default; the first write creates the file.
// A write is atomic (readers see the old file or the new one) and is taken under an
// advisory lock on "<file>.lock" beside it, so two programs never lose each other's keys
// (LockedFile.h).
#include "AnsiString.h"
#include "Classes.h"
#include "SysUtils.h"

// A write the system refused; the message names the file.
class EIniFileException : public Exception { using Exception::Exception; };

class TIniFile {
public:
    explicit TIniFile(const AnsiString& fileName) : fileName_(fileName) {}

    const AnsiString& FileName() const { return fileName_; }

    AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) const;
    // Decimal or "0x" hexadecimal; anything else gives the default.
    int ReadInteger(const AnsiString& section, const AnsiString& ident, int def) const;
    // A number: true unless it is 0. Anything else ("true", "false") gives the default.
    bool ReadBool(const AnsiString& section, const AnsiString& ident, bool def) const;
    // The key names of a section, in file order (the list is cleared first).
    void ReadSection(const AnsiString& section, TStrings& idents) const;

    // Each raises EIniFileException when the file cannot be written.
    void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value);
    void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
    void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);  // "1" / "0"
    void EraseSection(const AnsiString& section);

private:
    AnsiString fileName_;
};
