#pragma once
// The simulated machine: one directory holding what the platform would hold (registry hives,
// the dial-up phonebook, installed devices, the Windows version profile, the dial script,
// where provider host names lead, and the logs of shell launches and message boxes).
// VYN_MACHINE_DIR names it; the default is under the user's data directory. Every process,
// and every library with its own copy of this layer, reads it from the environment at each
// use, so all of them agree on it.
#include "AnsiString.h"
#include <string>

// Native (UTF-8, "/") path of the machine directory, created on first use.
std::string MachineDir();
// Native path of a file in it.
std::string MachineFile(const std::string& name);
// Switches to another machine directory (tests build a fresh one per case) by setting
// VYN_MACHINE_DIR, so the libraries this process loads and the programs it starts follow.
// Call it while no other thread of the process uses the machine.
void SetMachineDir(const std::string& dir);
// False on a machine without a desktop: its file "no-desktop" exists, or VYN_NO_DESKTOP is
// set and not empty (every test machine). Nothing is then shown or opened outside the
// program.
bool MachineHasDesktop();
