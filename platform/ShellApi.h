#pragma once
// The shell's "open": web addresses and documents go to the desktop's opener (xdg-open),
// programs are started with their parameters. The result follows the platform: above 32 on
// success, otherwise its error code (2 file not found, 3 path not found, 5 access denied,
// 8 out of memory, 11 bad format, 31 nothing associated with the file).
//
// Every call is recorded in the machine's "shell.log", one line per call:
//     operation TAB file TAB parameters TAB directory TAB show TAB result LF
// The texts are the caller's 1252 bytes as given (paths keep their backslashes), except that
// TAB, LF, CR and "%" are written "%09", "%0A", "%0D", "%25", so a line reads back byte for
// byte. show and result are decimal.
//
// A machine without a desktop (its file "no-desktop" exists, or VYN_NO_DESKTOP is set and not
// empty; every test machine is one) never runs the opener: addresses and documents are only
// recorded and answer as if opened (a missing document still gives 2). Programs are started
// in either case; tests that must not start one leave it out of the machine.
#include "AnsiString.h"
#include "WinTypes.h"

#include <cstdint>
#include <vector>

enum : int {
    SE_ERR_OOM = 8,
    SE_ERR_FNF = 2,
    SE_ERR_PNF = 3,
    SE_ERR_ACCESSDENIED = 5,
    SE_ERR_NOASSOC = 31,  // and ERROR_BAD_FORMAT (WinTypes.h)
};

// `owner` stands for the window handle and is not used. An empty operation means "open".
intptr_t ShellExecuteA(void* owner, const AnsiString& operation, const AnsiString& file, const AnsiString& parameters,
                       const AnsiString& directory, int showCmd);

// The program that opens `file`, resolved in `directory` (the current folder when null or
// empty); `result` (at least MAX_PATH bytes) receives it, or "" on failure. Above 32 on
// success, otherwise the platform's code: 2 no such file, 3 no such folder (also a path longer
// than MAX_PATH bytes with its zero, which the buffer cannot hold), 11 a file the user may run
// that is neither an ELF image nor a "#!" script, 31 nothing associated, 0 out of memory.
// A program (a regular file the user may run) is its own answer, as its full path; this layer
// associates no program with documents, so every other file gives 31.
// Recorded in "shell.log" as operation "FindExecutable" with the file, the path found in the
// parameters column, the directory and show 0. The machine file "shell-errors.txt" can make it
// fail: a line "FindExecutable <code>" answers every call with that code without looking.
intptr_t FindExecutableA(const char* file, const char* directory, char* result);

struct ShellCall {
    AnsiString operation, file, parameters, directory;
    int showCmd = 0;
    intptr_t result = 0;
};
// "shell.log" of the current machine, read back (for tests).
std::vector<ShellCall> RecordedShellCalls();
