#pragma once
// "shell.log" read back, kept apart from the window headers (the shell's header and theirs
// both name the show commands).
#include "platform/AnsiString.h"

#include <vector>

struct ShellLine {
    AnsiString operation, file, parameters, directory;
    int show = 0;
    long result = 0;
};
std::vector<ShellLine> ShellLog();
