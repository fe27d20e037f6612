#pragma once
// The worker of both hook libraries. Dial-up networking calls a hook on a thread of its own
// and wants an answer at once, so each call hands the start of the dialer program to one
// TCallUI and returns: the thread starts the program through the shell with "-dial " and
// ends, freeing itself, without waiting for the program. Nothing is shared between calls.
#include "platform/AnsiString.h"
#include "platform/Thread.h"
#include "platform/WinTypes.h"

class TCallUI : public TThread {
public:
    // Frees itself when done and runs one step above normal priority.
    explicit TCallUI(bool createSuspended);

protected:
    void Execute() override;
};

// Each library's own way to find and start the dialer program (Olvaret.cpp, Tebrin.cpp),
// run on the TCallUI thread.
void StartDialerProgram();

// Creates one TCallUI that runs at once and keeps no pointer to it. The entry name is not
// used: every request starts the program the same way. False when no thread could be made.
bool StartCallUI(const AnsiString& entryName);

// A text the platform handed over, as 1252 text; "" for a null pointer.
AnsiString EntryNameText(LPCSTR name);
AnsiString EntryNameText(LPCWSTR name);  // converted in the ANSI code page

// The parameters every start passes; the program does not read them.
inline constexpr const char* kDialParameters = "-dial ";
