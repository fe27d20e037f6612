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
// (LockedFile.h); several changes made as one batch (Update) are one such write.
#include "AnsiString.h"
#include "Classes.h"
#include "SysUtils.h"

#include <functional>
#include <string>
#include <vector>

// A write the system refused, or one that would break the file's lines; the message names
// the file.
class EIniFileException : public Exception {
    using Exception::Exception;
};

struct IniLine;

// The content of an ini file while a batch of changes is made (TIniFile::Update): reads see
// the changes made so far, and nothing reaches the file before the batch ends.
class TIniBatch {
public:
    ~TIniBatch();
    TIniBatch(const TIniBatch&) = delete;
    TIniBatch& operator=(const TIniBatch&) = delete;

    AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) const;
    // Decimal or "0x" hexadecimal; anything else gives the default.
    int ReadInteger(const AnsiString& section, const AnsiString& ident, int def) const;
    // A number: true unless it is 0. Anything else ("true", "false") gives the default.
    bool ReadBool(const AnsiString& section, const AnsiString& ident, bool def) const;
    // The key names of a section, in file order (the list is cleared first).
    void ReadSection(const AnsiString& section, TStrings& idents) const;

    // A section, key or value holding a line break (or NUL) raises EIniFileException: it
    // would end its line and start lines, even sections, of its own.
    void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value);
    void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
    void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);  // "1" / "0"
    void EraseSection(const AnsiString& section);

private:
    friend class TIniFile;
    TIniBatch(const AnsiString& fileName, const std::string& text);
    std::string Text() const;

    AnsiString fileName_;
    std::vector<IniLine> lines_;
    bool changed_ = false;
};

class TIniFile {
public:
    explicit TIniFile(const AnsiString& fileName) : fileName_(fileName) {}

    const AnsiString& FileName() const { return fileName_; }

    AnsiString ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) const;
    int ReadInteger(const AnsiString& section, const AnsiString& ident, int def) const;
    bool ReadBool(const AnsiString& section, const AnsiString& ident, bool def) const;
    void ReadSection(const AnsiString& section, TStrings& idents) const;

    // Each is one Update and raises EIniFileException as it does.
    void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value);
    void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
    void WriteBool(const AnsiString& section, const AnsiString& ident, bool value);
    void EraseSection(const AnsiString& section);

    // Runs `changes` on the file's content under its lock and replaces the file once with
    // the result: every change of the batch reaches the file, or none (an error raised by
    // `changes` leaves the file as it was and goes on to the caller). Raises
    // EIniFileException when the file exists but cannot be read (an unreadable file is not
    // an empty one: nothing is written) or cannot be replaced.
    void Update(const std::function<void(TIniBatch&)>& changes);

private:
    AnsiString fileName_;
};
