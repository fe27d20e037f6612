#pragma once
// The simulated machine's logs: one record a line, ended by LF, appended by every process
// and thread that shares the machine. A record goes out in one write to the file opened for
// appending, so records of several writers never interleave. A log that cannot be written is
// skipped: the logs serve tests and the demo, never the program itself.
//
// Each log writes the bytes of its texts that would break a record apart by its own rule,
// the one its readers (and docs/SIMULATED-MACHINE.md) know:
//   Backslash  \\ \n \r \t                                  messages.log
//   Percent    %09 %0A %0D %25; the "\" of paths kept       shell.log
//   Quoted     "..." with \" \\ \xnn, 1252 shown as UTF-8   ras-calls.log
//   None       as they are (resource names, already quoted  sound.log,
//              texts)                                        registry-dyn-reads.txt
#include "AnsiString.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

enum class LogEscape { None, Backslash, Percent, Quoted };

std::string EscapeLogText(std::string_view text, LogEscape rule);
// The inverse. A Quoted field that is not enclosed in quotes is taken as it is.
AnsiString UnescapeLogText(std::string_view field, LogEscape rule);

class MachineLog {
public:
    // A constant of the unit that writes the log: constexpr MachineLog kLog{"shell.log", ...}.
    constexpr MachineLog(const char* fileName, LogEscape rule) : fileName_(fileName), rule_(rule) {}

    std::string Escape(std::string_view text) const { return EscapeLogText(text, rule_); }
    // One record of fields separated by TAB, each escaped by the log's rule.
    void Append(std::initializer_list<std::string_view> fields) const;
    // One record the caller composed, its texts escaped with Escape (ras-calls.log's records
    // are "name=value" words separated by blanks).
    void AppendLine(std::string_view record) const;
    // The records in the current machine's file, each split at TAB into `fields` unescaped
    // fields (a missing one is empty, what follows the last is dropped).
    std::vector<std::vector<AnsiString>> Records(std::size_t fields) const;

private:
    const char* fileName_;
    LogEscape rule_;
};
