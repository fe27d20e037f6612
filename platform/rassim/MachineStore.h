#pragma once
// The service's own files in the simulated machine directory (the phonebook, the AutoDial
// table, the line speed), shared by every process that loads the service: each change is a
// read-modify-write under an advisory lock beside the file (flock on "<file>.lock"), and
// each write goes through a temporary file and a rename, so a reader never sees half a file.
#include <functional>
#include <string>

// The whole file as it is now ("" when it is missing), read under the shared lock.
std::string ReadMachineStore(const std::string& name);
// Reads under the exclusive lock, lets `change` edit the text and, when it returns true,
// writes the result before the lock is released. False when the write failed.
bool UpdateMachineStore(const std::string& name, const std::function<bool(std::string&)>& change);
