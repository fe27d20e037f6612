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

// Phone lists at and beyond the bounds of what a list may be.
// Exactly `bytes` long: one state's cities fill it, blanks make up the rest.
inline std::string PhoneListOfSize(std::size_t bytes) {
    const std::string head = "<ESTADOS><ESTADO sigla=\"SP\">", tail = "</ESTADO></ESTADOS>";
    const std::string city = "<CIDADE nome=\"Santos\" ddd=\"13\"><TEL>32191000</TEL></CIDADE>\n";
    std::string list = head;
    while (list.size() + city.size() + tail.size() <= bytes) list += city;
    list.append(bytes - list.size() - tail.size(), ' ');
    return list + tail;
}
// One city whose name, or whose number, is `length` bytes long; the number is written with
// an entity in it, so that it reaches the reader in pieces.
inline std::string PhoneListWithName(std::size_t length) {
    return "<ESTADOS><ESTADO sigla=\"SP\"><CIDADE nome=\"" + std::string(length, 'n') +
           "\" ddd=\"13\"><TEL>1</TEL></CIDADE></ESTADO></ESTADOS>";
}
inline std::string PhoneListWithNumber(std::size_t length) {
    return "<ESTADOS><ESTADO sigla=\"SP\"><CIDADE nome=\"Santos\" ddd=\"13\"><TEL>" +
           std::string(length / 2, '1') + "&#50;" + std::string(length - length / 2 - 1, '3') +
           "</TEL></CIDADE></ESTADO></ESTADOS>";
}
// Elements nested `depth` deep, the list's own four among them.
inline std::string PhoneListNested(std::size_t depth) {
    std::string open, close;
    for (std::size_t i = 4; i < depth; ++i) {
        open += "<X>";
        close = "</X>" + close;
    }
    return "<ESTADOS><ESTADO sigla=\"SP\"><CIDADE nome=\"Santos\"><TEL>" + open + "1" + close +
           "</TEL></CIDADE></ESTADO></ESTADOS>";
}
// `count` states, cities and numbers: one state, one city, the rest its numbers.
inline std::string PhoneListWithEntries(std::size_t count) {
    std::string list = "<ESTADOS><ESTADO sigla=\"SP\"><CIDADE nome=\"Santos\">";
    for (std::size_t i = 2; i < count; ++i) list += "<TEL/>";
    return list + "</CIDADE></ESTADO></ESTADOS>";
}
// One attribute of `length` bytes in a tag that never ends within the first megabytes.
inline std::string PhoneListWithAttribute(std::size_t length) {
    return "<ESTADOS><ESTADO sigla=\"" + std::string(length, 'A') + "\"/></ESTADOS>";
}
