#pragma once
// dist/Mirvane.exe installed on a test machine and run as a process: offscreen, reporting
// its first paints and the first turn of its message loop on standard output. Waits are
// bounded and wake on the process's output or end; a run still going at the end is killed.
#include "support/TempMachine.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

// Copies the programs as build/dist names them (and, unless told not to, the dial-up service
// and the phone list) into the machine's program folder.
void InstallProgram(const TempMachine& machine, bool withDialUpService = true,
                    const std::vector<std::string>& programs = {"Mirvane.exe"});

class ProgramRun {
public:
    ProgramRun(const TempMachine& machine, const QStringList& arguments = {},
               const std::string& program = "Mirvane.exe");
    ~ProgramRun();

    // Waits for a line starting with `prefix`; the whole line, or "" after `ms`.
    QString waitForLine(const QString& prefix, int ms = 20000);
    bool saw(const QString& prefix);  // among the lines read so far
    // The exit code once it ended (-1: still running after `ms`; -2: it crashed).
    int exitCode(int ms = 20000);
    bool running() const { return proc_.state() == QProcess::Running; }
    const QStringList& lines();

private:
    void read();
    QProcess proc_;
    QByteArray buffer_;
    QStringList lines_;
};

// One line of "messages.log": the box, and the answer it got.
struct LoggedBox {
    unsigned flags = 0;
    AnsiString caption, text;
    int answer = 0;
};
std::vector<LoggedBox> LoggedBoxes(const TempMachine& machine);
// A box the user saw: every box of a run that is ending (Terminate) is answered "cancel"
// at once without showing; an OK box answered so was never shown.
bool WasShown(const LoggedBox& box);

// Waits (bounded) for `done` to hold: a file another process writes, or a process's end;
// checked every few ms while the test's events are served.
bool WaitFor(const std::function<bool()>& done, int ms = 20000);
