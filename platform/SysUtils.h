#pragma once
// The run-time helpers the system's units call, with the platform's semantics: paths use
// "\" (mapped to "/" where they reach the file system), text is 1252 bytes.
#include "AnsiString.h"
#include <cstdint>
#include <exception>

// The class library's exception base: every error the layer raises carries a message.
class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    AnsiString Message;
};
// A file that could not be opened, created or written; the message names the file.
class EFOpenError : public Exception {
    using Exception::Exception;
};
class EFCreateError : public Exception {
    using Exception::Exception;
};
class EWriteError : public Exception {
    using Exception::Exception;
};

// Days since 1899-12-30, fraction = time of day (local time), as the class library keeps it.
using TDateTime = double;

// --- paths ------------------------------------------------------------------------------
AnsiString ExtractFileDir(const AnsiString& path);   // folder without trailing separator
AnsiString ExtractFilePath(const AnsiString& path);  // folder with trailing separator
AnsiString ExtractFileName(const AnsiString& path);
AnsiString ExtractFileExt(const AnsiString& path);  // ".ini", "" when none
AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext);
// The path as the Linux file system takes it: "\" becomes "/", 1252 becomes UTF-8.
std::string NativePath(const AnsiString& path);

// The running program's full file name (Application->ExeName). Tests and the launcher may
// set it, so a unit test can stand in for "Mirvane.exe" in a folder of its own.
AnsiString ProgramFileName();
void SetProgramFileName(const AnsiString& path);

// --- files ------------------------------------------------------------------------------
bool FileExists(const AnsiString& path);  // a regular file
bool DirectoryExists(const AnsiString& path);
int FileAge(const AnsiString& path);  // DOS date-time, -1 when missing
TDateTime FileDateToDateTime(int dosDateTime);
bool DeleteFile(const AnsiString& path);
bool RenameFile(const AnsiString& from, const AnsiString& to);   // never replaces `to`
bool ReplaceFile(const AnsiString& from, const AnsiString& to);  // atomic rename over `to`
// Reads a whole file; throws EFOpenError naming the file.
std::string ReadWholeFile(const AnsiString& path);
bool TryReadWholeFile(const AnsiString& path, std::string& out);
// Writes a whole file through a temporary file and a rename, so readers never see half a
// file; Flushed puts the data on disk before the rename, so a crash of the machine leaves
// the old file or the new one. Throws EFCreateError naming the file when it cannot be
// written.
enum class FileSync { Renamed, Flushed };
void WriteWholeFile(const AnsiString& path, std::string_view data, FileSync sync = FileSync::Flushed);
// Appends `data` whole or not at all: a write cut short (a full disk) is taken back, so
// the file keeps its earlier size. Appenders take an flock on the file. Throws
// EFOpenError/EWriteError naming the file.
void AppendToFile(const AnsiString& path, std::string_view data);

// --- numbers and dates ------------------------------------------------------------------
AnsiString IntToStr(long long v);
// Decimal with optional sign and blanks around it, or "0x"/"$" hexadecimal.
long long StrToIntDef(const AnsiString& s, long long def);
bool TryStrToInt(const AnsiString& s, long long& out);
TDateTime EncodeDateTime(int y, int mo, int d, int h, int mi, int s, int ms = 0);
void DecodeDateTime(TDateTime t, int& y, int& mo, int& d, int& h, int& mi, int& s, int& ms);
// Formats with the class library's tokens: d dd m mm yy yyyy h hh n nn s ss z zzz,
// quoted literals and everything else copied.
AnsiString FormatDateTime(const AnsiString& format, TDateTime t);
// A number by a picture, as the class library formats it: "0" a digit always shown, "#" a
// digit shown only when significant, "." the decimal separator, "," anywhere before it asks
// for thousands separators ("##,###": 52000 gives "52.000" with "." as the separator, 0
// gives ""). Text before the first and after the last placeholder is copied; only the
// first of ";"-separated sections is used. Rounds half away from zero.
AnsiString FormatFloat(const AnsiString& format, double value);
// The separators FormatFloat puts in. Each defaults to the user's locale (LC_NUMERIC from
// the environment) when it is one 1252 character there; otherwise the thousands separator
// is "." and the decimal separator ",". Settable, as the class library's globals are; 0
// goes back to the locale's.
char ThousandSeparator();
void SetThousandSeparator(char separator);
char DecimalSeparator();
void SetDecimalSeparator(char separator);
// printf-style formatting into 1252 text.
AnsiString Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
AnsiString UpperCase(const AnsiString& s);  // ASCII letters only, as the class library
AnsiString LowerCase(const AnsiString& s);
AnsiString Trim(const AnsiString& s);
// Texts compared with ASCII letters matched regardless of case and every other byte as it
// is, as the class library's SameText and StartsText compare.
bool SameText(std::string_view a, std::string_view b);
bool StartsText(std::string_view subText, std::string_view text);
