#pragma once
// The service's call log: every call of an export and every notification delivered, kept in
// memory for tests (RasSimControl::Calls) and appended to the machine file "ras-calls.log",
// one line each:
//     <seq> <ms> thread=<id> <function> <name>=<value>... -> <result>
// Texts are quoted ("..." with \" \\ and \xNN escapes, 1252 shown as UTF-8), buffers are
// written as hex:<bytes>.
#include "RasSimControl.h"

#include <mutex>
#include <string_view>

class CallLog {
public:
    // Stamps seq, ms and thread; the arguments at `textArgs` are quoted in the file.
    void Add(RasCall call, const std::vector<std::size_t>& textArgs = {});
    std::vector<RasCall> Calls(std::string_view function = {}) const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<RasCall> calls_;
    uint64_t seq_ = 0;
};

CallLog& TheCallLog();

// Builds one record of a call and logs it with its result:
//     return CallRecord("RasHangUpA").Num("hrasconn", h).Done(rc);
class CallRecord {
public:
    explicit CallRecord(std::string function) { call_.function = std::move(function); }
    CallRecord& Num(const std::string& name, uint64_t value);
    CallRecord& Text(const std::string& name, const char* text);  // null logged as null
    CallRecord& Str(const std::string& name, const std::string& text);
    CallRecord& Ptr(const std::string& name, const void* p);  // "null" or "set"
    CallRecord& Bytes(const std::string& name, const void* p, std::size_t n);
    DWORD Done(DWORD result);

private:
    RasCall call_;
    std::vector<std::size_t> textArgs_;
};

// Kernel thread id of the caller.
uint64_t CurrentThreadId();
