#pragma once
// The simulated machine's registry, kept in "registry.txt" of the machine directory in the
// seed form (RegistrySeed.h) and shared by every process on that machine: both programs and
// the hook libraries. Readers hold a shared advisory lock on "registry.lock", writers an
// exclusive one; a write replaces the file whole, so a failed write leaves it as it was. Each
// process keeps the content in memory and reads the file again when another process changed
// it (the lock file's count of replacements, and the file's identity for edits by hand).
// The locking and the replacement are platform/LockedFile.h's.
//
// This unit is the machine's side: no access rules apply here. Programs reach the registry
// through Registry.h.
#include "RegistryTree.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace RegistryStore {
// Runs `f` on the current content under the shared lock. ERROR_BADDB when "registry.txt"
// does not parse.
LONG Read(const std::function<LONG(const RegTree&)>& f);
// Runs `f` under the exclusive lock. `f` sets `changed` when it altered the tree; the new
// content is then saved, and when saving fails the change is dropped and the result is
// ERROR_CANTWRITE. A result other than ERROR_SUCCESS from `f` also drops what it changed.
LONG Write(const std::function<LONG(RegTree&, bool& changed)>& f);
}  // namespace RegistryStore

// Frees this copy of the layer's store of the registry, which otherwise lives to the end of
// the process. For a library loaded by name, as it is unloaded, once nothing of it can read
// the registry any more.
void ReleaseRegistryStore();

// Adds the keys and values of seed text to the machine's registry. Raises Exception for a
// malformed seed (nothing is added then) or when the registry cannot be saved.
void SeedRegistry(std::string_view seedText);
// Same, from a seed file (native path).
void SeedRegistryFile(const std::string& path);
// Empties the registry.
void ClearRegistry();
// The whole registry in seed form.
std::string RegistrySnapshot();
// One value, set or read as the machine itself (the simulated services publish counters in
// HKEY_DYN_DATA this way). The key path is relative to the root; missing keys are created.
void SetMachineRegistryValue(RegRoot root, const AnsiString& keyPath, const AnsiString& name, DWORD type,
                             std::string_view data);
bool GetMachineRegistryValue(RegRoot root, const AnsiString& keyPath, const AnsiString& name, RegValue& value);

// Every read of data from HKEY_DYN_DATA by the programs (Windows 9x starts, reads and stops
// its performance counters by reading values), kept in "registry-dyn-reads.txt".
struct DynDataRead {
    AnsiString key;    // below HKEY_DYN_DATA, as stored ("PerfStats\StartStat")
    AnsiString value;  // value name ("Dial-Up Adapter\ConnectSpeed")
    std::size_t bytes = 0;
    bool operator==(const DynDataRead&) const = default;
};
void LogDynDataRead(const DynDataRead& read);
std::vector<DynDataRead> DynDataReads();
void ClearDynDataReads();
