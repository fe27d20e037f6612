#pragma once
// Text is held as code page 1252 bytes throughout the system and converted to Unicode only
// where it meets Qt or the file system.
#include <string>
#include <string_view>

using AnsiString = std::string;

// UTF-8 -> code page 1252. Characters outside 1252 become '?'. The C1 controls U+0080-U+009F
// become the bytes of the same value, as the platform's conversion does: the five bytes 1252
// leaves undefined round-trip, and Latin-1 text keeps its bytes.
AnsiString Utf8ToAnsi(std::string_view utf8);
// Code page 1252 -> UTF-8.
std::string AnsiToUtf8(std::string_view ansi);
// The Unicode code point of one 1252 byte.
char32_t AnsiCharToUnicode(unsigned char c);
// The 1252 byte of a code point (a C1 control gives its own value); false when none.
bool UnicodeToAnsiChar(char32_t cp, char& out);
// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// Portuguese literals are written in UTF-8 source and held as 1252 bytes: "Não"_a.
inline AnsiString operator""_a(const char* s, std::size_t n) { return Utf8ToAnsi(std::string_view(s, n)); }
