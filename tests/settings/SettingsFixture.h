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
