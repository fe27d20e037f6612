#pragma once
// The start both programs share: one instance per name, a second start only brings the
// first forward (exit code 1), "--minimized" as the first parameter starts hidden, then the
// program's forms and the message loop (exit code 0, also after an error shown to the user).
#include "platform/AnsiString.h"

#include <functional>

class TEdition;

struct TProgramStart {
    AnsiString instanceName;            // the single-instance name and the application title
    const TEdition* edition = nullptr;  // chosen before anything else
    std::function<void()> createForms;  // the first form made is the main form
};

int StartProgram(const TProgramStart& start);

// The process's own part around StartProgram: the class library, the window recorder.
int RunProgramMain(int argc, char** argv, const std::function<int()>& winMain);
