#pragma once
// Loading a library by name, as the units bind "RASAPI32.DLL".
//
// A bare name ("RASAPI32.DLL") is looked up in the program's folder
// (ExtractFileDir(ProgramFileName())), ignoring case, as the platform searches the program's
// folder first; a name with a folder is looked up in that folder the same way. Loading a
// library that is already loaded returns the same handle and counts one more reference;
// FreeLibrary drops one and unloads the library with the last.
//
// A library runs on its own copy of this layer. One that exports VynAttachHost is given the
// program's clock when it is loaded (platform/HostLink.h).
//
// Tests can hide an export: each line of the machine file "hidden-exports.txt" names a
// library and an export separated by blanks, for example
//     RASAPI32.DLL RasEnumDevicesA
// (library name ignoring case, export name exact; blank lines and lines starting with '#'
// are skipped). GetProcAddress then answers null for it. The file is read at each call.
#include "AnsiString.h"

struct HINSTANCE__;
using HMODULE = HINSTANCE__*;
using FARPROC = void (*)();

// Null when the file is missing or is not a library.
HMODULE LoadLibraryA(const char* fileName);
// Null when the export is missing or hidden, or the handle is not a loaded library.
FARPROC GetProcAddress(HMODULE module, const char* procName);
// False for a handle that is not a loaded library (a second free of the last reference).
bool FreeLibrary(HMODULE module);

// The library's full file name as it was found ("" for an unknown handle).
AnsiString ModuleFileName(HMODULE module);
