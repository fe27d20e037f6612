#pragma once
// A fresh simulated machine per test: its own machine directory, a program folder standing
// in for the one "Mirvane.exe" runs from, a fake clock, every message box answered by a
// scripted responder and remembered, and no desktop (the shell opens no browser).
#include "platform/AnsiString.h"
#include "support/FakeClock.h"
#include "platform/Dialogs.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

class TempMachine {
public:
    explicit TempMachine(const std::string& exeName = "Mirvane.exe");
    ~TempMachine();
    TempMachine(const TempMachine&) = delete;
    TempMachine& operator=(const TempMachine&) = delete;

    std::string dir() const { return dir_; }                // machine directory (native)
    std::string programDir() const { return progDir_; }     // the program's folder (native)
    AnsiString programFile(const std::string& name) const;  // "<folder>\name" as the units build it
    std::string path(const std::string& name) const { return progDir_ + "/" + name; }
    // Installs the simulated dial-up service beside the program.
    void installDialUpService();
    // Copies a library laid out in build/dist ("Tebrin.dll") beside the program.
    void installLibrary(const std::string& fileName) const;
    void writeMachineFile(const std::string& name, const std::string& content) const;
    void writeProgramFile(const std::string& name, const std::string& content) const;
    std::string readProgramFile(const std::string& name) const;

    FakeClock clock;

    // Message boxes: answers given in order (default IDOK / IDCANCEL when none left).
    void answerBoxes(std::vector<int> answers);
    std::vector<MessageBoxRequest> boxes() const;

private:
    std::string dir_;
    std::string progDir_;
    mutable std::mutex mutex_;
    std::deque<int> answers_;
    std::vector<MessageBoxRequest> boxes_;
};
