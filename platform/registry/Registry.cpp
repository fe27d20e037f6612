#include "Registry.h"

#include "RegistryAccess.h"
#include "RegistryStore.h"

#include <cstring>

namespace {

constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | 0x00010000 /* DELETE */ |
                                0x00040000 /* WRITE_DAC */ | 0x00080000 /* WRITE_OWNER */;

bool IsRelative(const AnsiString& key) { return key.empty() || key[0] != '\\'; }

AnsiString WithoutLeadingSlash(const AnsiString& key) { return IsRelative(key) ? key : key.substr(1); }

bool RootOf(HKEY key, RegRoot& root) {
    if (key == HKEY_CURRENT_USER) root = RegRoot::CurrentUser;
    else if (key == HKEY_LOCAL_MACHINE) root = RegRoot::LocalMachine;
    else if (key == HKEY_DYN_DATA) root = RegRoot::DynData;
    else return false;
    return true;
}

bool Allowed(RegAccess access, REGSAM desired) {
    if (access == RegAccess::None) return false;
    return access == RegAccess::Full || (desired & kWriteRights) == 0;
}

// `base` followed by the names of `subKey`; false for a path the platform refuses (a
// leading "\" left after the root's, an empty name, a control character, a name or a depth
// beyond the limits).
bool Combine(const std::vector<AnsiString>& base, const AnsiString& subKey, std::vector<AnsiString>& names) {
    names = base;
    if (subKey.empty()) return true;
    std::vector<AnsiString> more;
    if (subKey[0] == '\\' || !SplitRegPath(subKey, more)) return false;
    for (const auto& n : more)
        for (unsigned char c : n)
            if (c < 0x20) return false;
    names.insert(names.end(), more.begin(), more.end());
    return RegPathWithinLimits(names);
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

TRegDataType DataTypeToRegData(DWORD type) {
    switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
    }
}

DWORD RegDataToDataType(TRegDataType type) {
    switch (type) {
    case rdString: return REG_SZ;
    case rdExpandString: return REG_EXPAND_SZ;
    case rdInteger: return REG_DWORD;
    case rdBinary: return REG_BINARY;
    default: return REG_NONE;
    }
}

[[noreturn]] void ReadError(const AnsiString& name) {
    throw ERegistryException("Invalid data type for '" + name + "'");
}

}  // namespace

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY root) {
    if (root == rootKey_) return;
    rootKey_ = root;
    CloseKey();
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate) {
    bool relative = IsRelative(key);
    AnsiString sub = WithoutLeadingSlash(key);
    Key base;
    if (relative && key_) base = *key_;
    else if (!RootOf(rootKey_, base.root)) return false;
    std::vector<AnsiString> names;
    if (!Combine(base.names, sub, names)) return false;
    std::optional<Key> opened = canCreate && !sub.empty() ? Create(base, names) : Open(base, names);
    if (!opened) return false;
    key_ = std::move(opened);
    return true;
}

std::optional<TRegistry::Key> TRegistry::Open(const Key& base, const std::vector<AnsiString>& names) const {
    std::vector<AnsiString> stored;
    LONG rc = RegistryStore::Read([&](const RegTree& tree) {
        if (!tree.Find(base.root, base.names)) return ERROR_KEY_DELETED;
        return StoredNames(tree, base.root, names, stored) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (rc != ERROR_SUCCESS || !Allowed(RegistryAccessFor(base.root, stored), access_)) return std::nullopt;
    return Key{base.root, std::move(stored), access_};
}

std::optional<TRegistry::Key> TRegistry::Create(const Key& base, const std::vector<AnsiString>& names) const {
    std::vector<AnsiString> stored;
    LONG rc = RegistryStore::Write([&](RegTree& tree, bool& changed) -> LONG {
        RegKey* k = tree.Find(base.root, base.names);
        if (!k) return ERROR_KEY_DELETED;
        stored = base.names;
        if (!Allowed(RegistryAccessFor(base.root, names), access_)) return ERROR_ACCESS_DENIED;
        for (std::size_t i = base.names.size(); i < names.size(); ++i) {
            RegKey* next = k->FindSubkey(names[i]);
            if (!next) {
                // A new key needs the right to change its parent.
                if (RegistryAccessFor(base.root, stored) != RegAccess::Full) return ERROR_ACCESS_DENIED;
                next = &k->AddSubkey(names[i]);
                changed = true;
            }
            k = next;
            stored.push_back(k->Name());
        }
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return Key{base.root, std::move(stored), access_};
}

LONG TRegistry::ReadKey(REGSAM needed, const std::function<LONG(const RegKey&)>& f) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    if ((key_->granted & needed) != needed) return ERROR_ACCESS_DENIED;
    return RegistryStore::Read([&](const RegTree& tree) {
        const RegKey* k = tree.Find(key_->root, key_->names);
        return k ? f(*k) : ERROR_KEY_DELETED;
    });
}

LONG TRegistry::WriteKey(const std::function<LONG(RegKey&, bool& changed)>& f) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    if (!(key_->granted & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    return RegistryStore::Write([&](RegTree& tree, bool& changed) {
        RegKey* k = tree.Find(key_->root, key_->names);
        return k ? f(*k, changed) : ERROR_KEY_DELETED;
    });
}

void TRegistry::GetKeyNames(TStrings* strings) {
    strings->Clear();
    // Counting the subkeys needs the right to query, naming them the right to enumerate: the
    // class library lists an empty name for each subkey it may count but not name.
    bool named = key_ && (key_->granted & KEY_ENUMERATE_SUB_KEYS);
    std::vector<AnsiString> names;
    ReadKey(KEY_QUERY_VALUE, [&](const RegKey& k) {
        for (std::size_t i = 0; i < k.SubkeyCount(); ++i) names.push_back(named ? k.Subkey(i).Name() : AnsiString());
        return ERROR_SUCCESS;
    });
    for (const auto& n : names) strings->Add(n);
}

bool TRegistry::FindValue(const AnsiString& name, RegValue& value) const {
    return ReadKey(KEY_QUERY_VALUE, [&](const RegKey& k) {
               const RegValue* v = k.FindValue(name);
               if (!v) return ERROR_FILE_NOT_FOUND;
               value = *v;
               return ERROR_SUCCESS;
           }) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const AnsiString& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info);
}

bool TRegistry::GetDataInfo(const AnsiString& name, TRegDataInfo& info) {
    info = {};
    RegValue v;
    if (!FindValue(name, v)) return false;
    info = {DataTypeToRegData(v.type), static_cast<int>(v.data.size())};
    return true;
}

int TRegistry::GetDataSize(const AnsiString& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info) ? info.DataSize : -1;
}

long TRegistry::GetValueType(const AnsiString& name) {
    RegValue v;
    return FindValue(name, v) ? static_cast<long>(v.type) : -1;
}

int TRegistry::GetData(const AnsiString& name, void* buffer, int bufferSize, TRegDataType& type) {
    RegValue v;
    if (bufferSize < 0 || !FindValue(name, v) || v.data.size() > static_cast<std::size_t>(bufferSize))
        throw ERegistryException("Failed to get data for '" + name + "'");
    if (!v.data.empty()) std::memcpy(buffer, v.data.data(), v.data.size());
    // Windows 9x starts, reads and stops its performance counters by reading values.
    if (key_->root == RegRoot::DynData) LogDynDataRead({JoinRegPath(key_->names), v.name, v.data.size()});
    type = DataTypeToRegData(v.type);
    return static_cast<int>(v.data.size());
}

void TRegistry::PutData(const AnsiString& name, const void* buffer, int bufferSize, TRegDataType type) {
    if (bufferSize < 0 || (!buffer && bufferSize > 0))
        throw ERegistryException("Failed to set data for '" + name + "'");
    std::string bytes = bufferSize > 0
                            ? std::string(static_cast<const char*>(buffer), static_cast<std::size_t>(bufferSize))
                            : std::string();
    LONG rc = WriteKey([&](RegKey& k, bool& changed) {
        k.SetValue(name, RegDataToDataType(type), std::move(bytes));
        changed = true;
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) throw ERegistryException("Failed to set data for '" + name + "'");
}

AnsiString TRegistry::ReadString(const AnsiString& name) {
    int len = GetDataSize(name);
    if (len <= 0) return {};
    std::string buffer(static_cast<std::size_t>(len), '\0');
    TRegDataType type;
    GetData(name, buffer.data(), len, type);
    if (type != rdString && type != rdExpandString) ReadError(name);
    return AnsiString(buffer.c_str());  // up to the first zero
}

int TRegistry::ReadInteger(const AnsiString& name) {
    std::int32_t result = 0;
    TRegDataType type;
    GetData(name, &result, sizeof result, type);
    if (type != rdInteger) ReadError(name);
    return result;
}

int TRegistry::ReadBinaryData(const AnsiString& name, void* buffer, int bufferSize) {
    TRegDataInfo info;
    if (!GetDataInfo(name, info)) return 0;
    int size = info.DataSize;
    if ((info.RegData != rdBinary && info.RegData != rdUnknown) || size > bufferSize) ReadError(name);
    TRegDataType type;
    GetData(name, buffer, size, type);
    return size;
}

void TRegistry::WriteString(const AnsiString& name, const AnsiString& value) {
    PutData(name, value.c_str(), static_cast<int>(value.size()) + 1, rdString);
}

void TRegistry::WriteInteger(const AnsiString& name, int value) {
    std::int32_t v = value;
    PutData(name, &v, sizeof v, rdInteger);
}

void TRegistry::WriteBinaryData(const AnsiString& name, const void* buffer, int bufferSize) {
    PutData(name, buffer, bufferSize, rdBinary);
}
