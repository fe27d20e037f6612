#pragma once
// The hook libraries on a fresh simulated machine: installed beside the stand-in program and
// loaded by name, as dial-up networking loads them, with stand-in dialer programs that report
// every start through a pipe in the machine directory. The libraries share nothing with the
// test but the process and the machine: their threads are seen in the process's thread list,
// their message boxes in the machine's "messages.log", answered from "message-answers.txt".
#include "platform/Library.h"
#include "platform/RasHooks.h"
#include "platform/ShellApi.h"
#include "support/TempMachine.h"
#include "support/ThreadWatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// One start of a stand-in program: which one ran, and its arguments.
struct Start {
    std::string tag;
    std::vector<std::string> args;
    bool operator==(const Start&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Start& start);

class HookTest : public ::testing::Test {
protected:
    HookTest();
    // Waits for every hook thread before the machine goes.
    ~HookTest() override;

    // A stand-in dialer at `path` (native) that reports each start as `tag`.
    void writeStandIn(const std::string& path, const std::string& tag) const;
    // Waits, at most 10 s, until `count` starts in all were reported; the starts so far.
    std::vector<Start> waitForStarts(std::size_t count);
    // The starts reported so far, without waiting.
    std::vector<Start> starts() const;
    // Waits, at most 10 s, until no thread started during the test runs.
    bool callsDone();
    // The threads started during the test that still run, but `except`.
    std::size_t threadsRunning(pid_t except = 0) const;
    // The shell calls of the hooks, as "shell.log" holds them.
    std::vector<ShellCall> shellCalls() const { return RecordedShellCalls(); }

    // Installs `library` beside the program (once) and binds one of its exports.
    template <class F>
    F bind(const char* library, const char* name) {
        return reinterpret_cast<F>(GetProcAddress(load(library), name));
    }
    HMODULE load(const char* library);

    TempMachine machine;
    ThreadWatch threads;

private:
    int pipe_ = -1;
    int startFolder_ = -1;
    std::size_t reported_ = 0;
    std::vector<HMODULE> loaded_;
};
