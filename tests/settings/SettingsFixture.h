#pragma once
// What the settings tests share: a fresh machine with the status log in place, and gzip.
#include "settings/Log.h"
#include "support/TestFiles.h"
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

inline std::string Gzip(const std::string& data) { return GzipBytes(data); }
