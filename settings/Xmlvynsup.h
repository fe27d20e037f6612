#pragma once
// The records of the access-phone list, and the reading loop that the list and the check of a
// downloaded list share: the file through zlib's gzip reader (a plain file passes through
// unchanged), parsed by expat in 65536-byte blocks straight into the parser's buffer, then
// an empty final block.
#include "platform/AnsiString.h"

#include <cstdint>
#include <functional>
#include <vector>

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

struct XML_ParserStruct;

enum class TXmlRead { Parsed, OpenFailed, NoParser, NoBuffer, ReadFailed, ParseFailed };

// Reads the file at `path` (a regular file only) to its end. `setup` registers the handlers
// on the fresh parser; without it the document is only checked for well-formedness.
TXmlRead ReadXmlFile(const AnsiString& path, const std::function<void(XML_ParserStruct*)>& setup = {});
