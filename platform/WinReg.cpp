#include "WinReg.h"

#include "RegistryAccess.h"
#include "RegistryStore.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace {

constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | 0x00010000 /* DELETE */ |
                                0x00040000 /* WRITE_DAC */ | 0x00080000 /* WRITE_OWNER */;

// An open key: which one, and the rights it was opened with.
struct OpenKey {
    RegRoot root;
    std::vector<AnsiString> names;  // as stored
    REGSAM granted;
};

class HandleTable {
public:
    HKEY Add(OpenKey key) {
        std::lock_guard lock(mutex_);
        next_ += 4;
        keys_.emplace(next_, std::move(key));
        return reinterpret_cast<HKEY>(next_);
    }
    bool Get(HKEY h, OpenKey& out) {
        std::lock_guard lock(mutex_);
        auto it = keys_.find(reinterpret_cast<std::uintptr_t>(h));
        if (it == keys_.end()) return false;
        out = it->second;
        return true;
    }
    bool Remove(HKEY h) {
        std::lock_guard lock(mutex_);
        return keys_.erase(reinterpret_cast<std::uintptr_t>(h)) > 0;
    }

private:
    std::mutex mutex_;
    std::uintptr_t next_ = 0x1000;
    std::map<std::uintptr_t, OpenKey> keys_;
};

HandleTable& Handles() {
    static HandleTable* table = new HandleTable;
    return *table;
}

REGSAM RightsOf(RegAccess access) {
    switch (access) {
    case RegAccess::Full: return KEY_ALL_ACCESS;
    case RegAccess::Read: return KEY_READ;
    default: return 0;
    }
}

bool Allowed(RegAccess access, REGSAM desired) {
    if (access == RegAccess::None) return false;
    return access == RegAccess::Full || (desired & kWriteRights) == 0;
}

// The key behind a handle. A predefined root has the rights the access rules give it.
LONG Resolve(HKEY h, OpenKey& out) {
    RegRoot root;
    if (RegRootOfHandle(h, root)) {
        out = {root, {}, RightsOf(RegistryAccessFor(root, {}))};
        return ERROR_SUCCESS;
    }
    return Handles().Get(h, out) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// The handle's key path followed by `subKey`.
LONG Combine(const OpenKey& base, LPCSTR subKey, std::vector<AnsiString>& names) {
    names = base.names;
    if (!subKey || !*subKey) return ERROR_SUCCESS;
    std::vector<AnsiString> more;
    if (subKey[0] == '\\' || !SplitRegPath(subKey, more)) return ERROR_BAD_PATHNAME;
    for (const auto& n : more)
        for (unsigned char c : n)
            if (c < 0x20) return ERROR_INVALID_PARAMETER;
    names.insert(names.end(), more.begin(), more.end());
    return ERROR_SUCCESS;
}

// The stored names along a path that exists; false when it does not.
bool StoredNames(const RegTree& tree, RegRoot root, const std::vector<AnsiString>& names,
                 std::vector<AnsiString>& stored) {
    stored.clear();
    const RegKey* k = &tree.Root(root);
    for (const auto& n : names) {
        k = k->FindSubkey(n);
        if (!k) return false;
        stored.push_back(k->Name());
    }
    return true;
}

// Runs `f` on the key behind an open handle, read-only.
template <typename F>
LONG WithKey(HKEY h, REGSAM needed, F f) {
    OpenKey key;
    if (LONG rc = Resolve(h, key)) return rc;
    if ((key.granted & needed) != needed) return ERROR_ACCESS_DENIED;
    return RegistryStore::Read([&](const RegTree& tree) {
        const RegKey* k = tree.Find(key.root, key.names);
        return k ? f(*k, key) : ERROR_KEY_DELETED;
    });
}

template <typename F>
LONG WithKeyToChange(HKEY h, F f) {
    OpenKey key;
    if (LONG rc = Resolve(h, key)) return rc;
    if (!(key.granted & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    return RegistryStore::Write([&](RegTree& tree, bool& changed) {
        RegKey* k = tree.Find(key.root, key.names);
        return k ? f(*k, changed) : ERROR_KEY_DELETED;
    });
}

// Copies `bytes` as the platform does: the size always told, the data only when it fits.
LONG CopyData(const std::string& bytes, LPBYTE data, LPDWORD dataSize) {
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    if (!dataSize) return ERROR_SUCCESS;
    DWORD room = *dataSize;
    *dataSize = static_cast<DWORD>(bytes.size());
    if (!data) return ERROR_SUCCESS;
    if (room < bytes.size()) return ERROR_MORE_DATA;
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    return ERROR_SUCCESS;
}

LONG CopyName(const AnsiString& name, LPSTR out, LPDWORD size) {
    if (!out || !size) return ERROR_INVALID_PARAMETER;
    if (*size < name.size() + 1) return ERROR_MORE_DATA;
    std::memcpy(out, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

void NoClassNoTime(LPSTR keyClass, LPDWORD classSize, void* lastWriteTime) {
    if (keyClass && classSize && *classSize > 0) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
    if (lastWriteTime) std::memset(lastWriteTime, 0, 8);
}

}  // namespace

bool RegRootOfHandle(HKEY key, RegRoot& root) {
    if (key == HKEY_CURRENT_USER) root = RegRoot::CurrentUser;
    else if (key == HKEY_LOCAL_MACHINE) root = RegRoot::LocalMachine;
    else if (key == HKEY_DYN_DATA) root = RegRoot::DynData;
    else return false;
    return true;
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM desired, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey base;
    if (LONG rc = Resolve(key, base)) return rc;
    std::vector<AnsiString> names;
    if (LONG rc = Combine(base, subKey, names)) return rc;
    std::vector<AnsiString> stored;
    LONG rc = RegistryStore::Read([&](const RegTree& tree) {
        if (!tree.Find(base.root, base.names)) return ERROR_KEY_DELETED;
        return StoredNames(tree, base.root, names, stored) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (rc != ERROR_SUCCESS) return rc;
    if (!Allowed(RegistryAccessFor(base.root, stored), desired)) return ERROR_ACCESS_DENIED;
    *result = Handles().Add({base.root, std::move(stored), desired});
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*keyClass*/, DWORD /*options*/,
                     REGSAM desired, void* /*securityAttributes*/, PHKEY result, LPDWORD disposition) {
    if (!result || !subKey) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey base;
    if (LONG rc = Resolve(key, base)) return rc;
    std::vector<AnsiString> names;
    if (LONG rc = Combine(base, subKey, names)) return rc;
    std::vector<AnsiString> stored;
    bool created = false;
    LONG rc = RegistryStore::Write([&](RegTree& tree, bool& changed) -> LONG {
        RegKey* k = tree.Find(base.root, base.names);
        if (!k) return ERROR_KEY_DELETED;
        stored = base.names;
        if (!Allowed(RegistryAccessFor(base.root, names), desired)) return ERROR_ACCESS_DENIED;
        for (std::size_t i = base.names.size(); i < names.size(); ++i) {
            RegKey* next = k->FindSubkey(names[i]);
            if (!next) {
                // A new key needs the right to change its parent.
                if (RegistryAccessFor(base.root, stored) != RegAccess::Full) return ERROR_ACCESS_DENIED;
                next = &k->AddSubkey(names[i]);
                created = changed = true;
            }
            k = next;
            stored.push_back(k->Name());
        }
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = Handles().Add({base.root, std::move(stored), desired});
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    RegRoot root;
    if (RegRootOfHandle(key, root)) return ERROR_SUCCESS;
    return Handles().Remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    AnsiString name = valueName ? valueName : "";
    bool logRead = false;
    DynDataRead read;
    LONG rc = WithKey(key, KEY_QUERY_VALUE, [&](const RegKey& k, const OpenKey& open) -> LONG {
        const RegValue* v = k.FindValue(name);
        if (!v) return ERROR_FILE_NOT_FOUND;
        if (type) *type = v->type;
        LONG copied = CopyData(v->data, data, dataSize);
        if (copied == ERROR_SUCCESS && data && open.root == RegRoot::DynData) {
            logRead = true;
            read = {JoinRegPath(open.names), v->name, v->data.size()};
        }
        return copied;
    });
    if (logRead) LogDynDataRead(read);
    return rc;
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize) {
    if (reserved || (!data && dataSize > 0)) return ERROR_INVALID_PARAMETER;
    AnsiString name = valueName ? valueName : "";
    std::string bytes(reinterpret_cast<const char*>(data), data ? dataSize : 0);
    return WithKeyToChange(key, [&](RegKey& k, bool& changed) {
        k.SetValue(name, type, std::move(bytes));
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName) {
    AnsiString name = valueName ? valueName : "";
    return WithKeyToChange(key, [&](RegKey& k, bool& changed) {
        changed = k.RemoveValue(name);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    if (!subKey) return ERROR_INVALID_PARAMETER;
    OpenKey base;
    if (LONG rc = Resolve(key, base)) return rc;
    std::vector<AnsiString> names;
    if (LONG rc = Combine(base, subKey, names)) return rc;
    if (names.empty()) return ERROR_ACCESS_DENIED;  // a root stays
    return RegistryStore::Write([&](RegTree& tree, bool& changed) -> LONG {
        std::vector<AnsiString> parentNames(names.begin(), names.end() - 1);
        RegKey* parent = tree.Find(base.root, parentNames);
        const RegKey* target = parent ? parent->FindSubkey(names.back()) : nullptr;
        if (!target) return ERROR_FILE_NOT_FOUND;
        if (target->SubkeyCount() > 0) return ERROR_ACCESS_DENIED;
        if (RegistryAccessFor(base.root, names) != RegAccess::Full) return ERROR_ACCESS_DENIED;
        changed = parent->RemoveSubkey(names.back());
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR keyClass,
                   LPDWORD classSize, void* lastWriteTime) {
    if (reserved) return ERROR_INVALID_PARAMETER;
    return WithKey(key, KEY_ENUMERATE_SUB_KEYS, [&](const RegKey& k, const OpenKey&) -> LONG {
        if (index >= k.SubkeyCount()) return ERROR_NO_MORE_ITEMS;
        if (LONG rc = CopyName(k.Subkey(index).Name(), name, nameSize)) return rc;
        NoClassNoTime(keyClass, classSize, lastWriteTime);
        return ERROR_SUCCESS;
    });
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize) {
    if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    return WithKey(key, KEY_QUERY_VALUE, [&](const RegKey& k, const OpenKey&) -> LONG {
        if (index >= k.Values().size()) return ERROR_NO_MORE_ITEMS;
        const RegValue& v = k.Values()[index];
        if (LONG rc = CopyName(v.name, name, nameSize)) return rc;
        if (type) *type = v.type;
        return CopyData(v.data, data, dataSize);
    });
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classSize, LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                      LPDWORD maxValueLen, LPDWORD securityDescriptorSize, void* lastWriteTime) {
    if (reserved) return ERROR_INVALID_PARAMETER;
    return WithKey(key, KEY_QUERY_VALUE, [&](const RegKey& k, const OpenKey&) -> LONG {
        std::size_t longestKey = 0, longestName = 0, longestData = 0;
        for (std::size_t i = 0; i < k.SubkeyCount(); ++i) longestKey = std::max(longestKey, k.Subkey(i).Name().size());
        for (const auto& v : k.Values()) {
            longestName = std::max(longestName, v.name.size());
            longestData = std::max(longestData, v.data.size());
        }
        if (subKeys) *subKeys = static_cast<DWORD>(k.SubkeyCount());
        if (maxSubKeyLen) *maxSubKeyLen = static_cast<DWORD>(longestKey);
        if (maxClassLen) *maxClassLen = 0;
        if (values) *values = static_cast<DWORD>(k.Values().size());
        if (maxValueNameLen) *maxValueNameLen = static_cast<DWORD>(longestName);
        if (maxValueLen) *maxValueLen = static_cast<DWORD>(longestData);
        if (securityDescriptorSize) *securityDescriptorSize = 0;
        NoClassNoTime(keyClass, classSize, lastWriteTime);
        return ERROR_SUCCESS;
    });
}
