#pragma once
// The records of the access-phone list and its reading, which the list and the check of a
// downloaded list share: the document through zlib's gzip reader (a plain file passes
// through unchanged) or from bytes in memory, parsed by expat in 65536-byte blocks straight
// into the parser's buffer, then an empty final block; the list's vocabulary is read into
// states as it goes.
//
// What a list may be. A country's list is about 600 KB plain, with 27 states, 5,570 cities
// and some 17,000 numbers, names of some 40 bytes, elements four deep; the bounds stay far
// above that, and a list beyond them is refused as soon as it shows: over 16 MB
// decompressed, a value the list reads (`sigla`, `capital`, `nome`, `ddd`, a number's text)
// over 4 KB, one piece of markup (a tag with its attributes, a comment, a declaration) over
// 64 KB, elements nested over 32 deep, or over 600,000 states, cities and numbers. The
// markup bound also spares expat from scanning a piece it has not yet seen the end of once
// more at every block, which grows with the square of its length; the last two keep what a
// small file can make the reader hold in memory to a few hundred MB.
#include "platform/AnsiString.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// A state and its cities as the list holds them (the names are the file's own).
namespace phonelist {
struct _prov {
    AnsiString nome;
    int32_t ddd = 0;  // -1 when the file gave none
    std::vector<AnsiString> telefones;
};

struct _estados {
    AnsiString sigla;    // at most two bytes
    AnsiString capital;  // at most 50 characters
    std::vector<_prov> cidades;
};
}  // namespace phonelist

constexpr std::size_t kMaxPhoneListBytes = std::size_t{16} << 20;
constexpr std::size_t kMaxPhoneListField = 4096;
constexpr std::size_t kMaxPhoneListMarkup = 65536;
constexpr std::size_t kMaxPhoneListDepth = 32;
constexpr std::size_t kMaxPhoneListEntries = 600000;

enum class TXmlRead {
    Parsed,
    OpenFailed,
    NoParser,
    NoMemory,  // the parser gave no buffer, or memory ran out while the list was built
    ReadFailed,
    ParseFailed,  // not well-formed (an empty document included)
    TooLarge,     // over kMaxPhoneListBytes decompressed
    TooLong,      // a value over kMaxPhoneListField or markup over kMaxPhoneListMarkup
    TooDeep,      // elements nested over kMaxPhoneListDepth
    TooMany,      // over kMaxPhoneListEntries states, cities and numbers
};

// Why a list beyond the bounds was refused (TooLarge, TooLong, TooDeep, TooMany), as a
// sentence for the status line; empty for the other outcomes.
AnsiString PhoneListBoundText(TXmlRead outcome);

// Reads the list into `states` by its vocabulary, in document order (each state's cities
// sorted at its end tag; the states themselves are left in file order). What was read
// before a failure stays in `states`. The file must be a regular file.
TXmlRead ReadPhoneListFile(const AnsiString& path, std::vector<phonelist::_estados>& states);
TXmlRead ReadPhoneListBytes(std::string_view document, std::vector<phonelist::_estados>& states);
