#pragma once
// The machine's registry as stored, seen from the machine's side (no access rules): what a
// program's writes left, and a key removed as another program would remove it.
#include "platform/registry/RegistryStore.h"

#include <stdexcept>
#include <vector>

inline std::vector<AnsiString> StoredPath(const AnsiString& path) {
    std::vector<AnsiString> names;
    if (!SplitRegPath(path, names)) throw std::invalid_argument(path);
    return names;
}

inline std::vector<AnsiString> StoredValueNames(RegRoot root, const AnsiString& path) {
    std::vector<AnsiString> names;
    RegistryStore::Read([&](const RegTree& tree) {
        if (const RegKey* k = tree.Find(root, StoredPath(path)))
            for (const auto& v : k->Values()) names.push_back(v.name);
        return ERROR_SUCCESS;
    });
    return names;
}

inline std::vector<AnsiString> StoredSubkeyNames(RegRoot root, const AnsiString& path) {
    std::vector<AnsiString> names;
    RegistryStore::Read([&](const RegTree& tree) {
        if (const RegKey* k = tree.Find(root, StoredPath(path)))
            for (std::size_t i = 0; i < k->SubkeyCount(); ++i) names.push_back(k->Subkey(i).Name());
        return ERROR_SUCCESS;
    });
    return names;
}

// Removes the key with everything below it; false when there was none.
inline bool RemoveStoredKey(RegRoot root, const AnsiString& path) {
    std::vector<AnsiString> names = StoredPath(path);
    AnsiString last = names.back();
    names.pop_back();
    bool removed = false;
    RegistryStore::Write([&](RegTree& tree, bool& changed) {
        RegKey* parent = tree.Find(root, names);
        changed = removed = parent && parent->RemoveSubkey(last);
        return ERROR_SUCCESS;
    });
    return removed;
}
