#pragma once
// What the settings tests share: a fresh machine with a status log, and gzip.
#include "settings/Log.h"
#include "settings/Services.h"
#include "support/TestFiles.h"
#include "support/TempMachine.h"

#include <string>
#include <vector>
#include <zlib.h>

struct LoggedMachine {
    TempMachine machine;
    TLogger log;
    // The record of a service that uses the status log only.
    TServices services() { return {.log = &log}; }
    std::vector<AnsiString> lines() const { return log.Lines(); }
};

inline std::string Gzip(const std::string& data) { return GzipBytes(data); }

// A list of one city, as long as one likes: its name, its number's text, blanks before the end.
inline std::string OneCityList(const std::string& nome, const std::string& tel, std::size_t blanks = 0) {
    return "<ESTADOS><ESTADO sigla=\"SP\"><CIDADE nome=\"" + nome + "\" ddd=\"13\"><TEL>" + tel + "</TEL></CIDADE>" +
           std::string(blanks, ' ') + "</ESTADO></ESTADOS>";
}
inline std::string Repeat(const std::string& s, std::size_t n) {
    std::string out;
    while (n--) out += s;
    return out;
}
