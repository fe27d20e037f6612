#include "CallLog.h"

#include "Hex.h"

#include "platform/Clock.h"
#include "platform/MachineLog.h"

#include <algorithm>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
constexpr MachineLog kLog{"ras-calls.log", LogEscape::Quoted};
}  // namespace

uint64_t CurrentThreadId() { return static_cast<uint64_t>(::syscall(SYS_gettid)); }

CallLog& TheCallLog() {
    static CallLog log;
    return log;
}

void CallLog::Add(RasCall call, const std::vector<std::size_t>& textArgs) {
    call.ms = CurrentClock().MonotonicMs();
    call.thread = CurrentThreadId();
    std::string line;
    {
        std::lock_guard lock(mutex_);
        call.seq = ++seq_;
        line = std::to_string(call.seq) + " " + std::to_string(call.ms) + " thread=" + std::to_string(call.thread) +
               " " + call.function;
        for (std::size_t i = 0; i < call.args.size(); ++i) {
            bool text = std::find(textArgs.begin(), textArgs.end(), i) != textArgs.end();
            line += " " + call.args[i].first + "=" + (text ? kLog.Escape(call.args[i].second) : call.args[i].second);
        }
        for (auto& [name, bytes] : call.buffers) line += " " + name + "=hex:" + ToHex(bytes);
        line += " -> " + std::to_string(call.result);
        // Written under the lock so the file keeps the order of the sequence numbers.
        kLog.AppendLine(line);
        calls_.push_back(std::move(call));
    }
}

std::vector<RasCall> CallLog::Calls(std::string_view function) const {
    std::lock_guard lock(mutex_);
    if (function.empty()) return calls_;
    std::vector<RasCall> out;
    for (auto& c : calls_)
        if (c.function == function) out.push_back(c);
    return out;
}

void CallLog::Clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
    seq_ = 0;
}

CallRecord& CallRecord::Num(const std::string& name, uint64_t value) {
    call_.args.emplace_back(name, std::to_string(value));
    return *this;
}

CallRecord& CallRecord::Text(const std::string& name, const char* text) {
    return text ? Str(name, text) : Ptr(name, nullptr);
}

CallRecord& CallRecord::Str(const std::string& name, const std::string& text) {
    call_.args.emplace_back(name, text);
    textArgs_.push_back(call_.args.size() - 1);
    return *this;
}

CallRecord& CallRecord::Ptr(const std::string& name, const void* p) {
    call_.args.emplace_back(name, p ? "set" : "null");
    return *this;
}

CallRecord& CallRecord::Bytes(const std::string& name, const void* p, std::size_t n) {
    call_.buffers.emplace_back(name, std::string(static_cast<const char*>(p), n));
    return *this;
}

DWORD CallRecord::Done(DWORD result) {
    call_.result = result;
    TheCallLog().Add(std::move(call_), textArgs_);
    return result;
}
