#pragma once
// What the settings tests share: a fresh machine with the status log in place, and gzip.
#include "settings/Log.h"
#include "support/TempMachine.h"

#include <string>
#include <vector>
#include <zlib.h>

struct LoggedMachine {
    TempMachine machine;
    TLogger log;
    LoggedMachine() { Logger = &log; }
    ~LoggedMachine() { Logger = nullptr; }
    std::vector<AnsiString> lines() const { return log.Lines(); }
};

inline std::string Gzip(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}
