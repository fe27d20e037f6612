#include "Registry.h"

#include <cstring>
#include <vector>

namespace {

bool IsRelative(const AnsiString& key) { return key.empty() || key[0] != '\\'; }

AnsiString WithoutLeadingSlash(const AnsiString& key) { return IsRelative(key) ? key : key.substr(1); }

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

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM access) : access_(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
    if (root == rootKey_) return;
    rootKey_ = root;
    CloseKey();
}

HKEY TRegistry::BaseKey(bool relative) const { return (!currentKey_ || !relative) ? rootKey_ : currentKey_; }

void TRegistry::ChangeKey(HKEY key, const AnsiString& path) {
    CloseKey();
    currentKey_ = key;
    currentPath_ = path;
}

HKEY TRegistry::GetKey(const AnsiString& key) {
    HKEY result = nullptr;
    RegOpenKeyExA(BaseKey(IsRelative(key)), WithoutLeadingSlash(key).c_str(), 0, access_, &result);
    return result;
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate) {
    bool relative = IsRelative(key);
    AnsiString s = WithoutLeadingSlash(key);
    HKEY opened = nullptr;
    bool ok;
    if (!canCreate || s.empty()) {
        ok = RegOpenKeyExA(BaseKey(relative), s.c_str(), 0, access_, &opened) == ERROR_SUCCESS;
    } else {
        DWORD disposition = 0;
        ok = RegCreateKeyExA(BaseKey(relative), s.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                             &opened, &disposition) == ERROR_SUCCESS;
    }
    if (ok) {
        if (currentKey_ && relative) s = currentPath_ + "\\" + s;
        ChangeKey(opened, s);
    }
    return ok;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& key) {
    bool relative = IsRelative(key);
    AnsiString s = WithoutLeadingSlash(key);
    // The class library asks for less and less until the key opens, and keeps what it got.
    for (REGSAM access : {KEY_READ, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, KEY_QUERY_VALUE}) {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(BaseKey(relative), s.c_str(), 0, access, &opened) == ERROR_SUCCESS) {
            access_ = access;
            if (currentKey_ && relative) s = currentPath_ + "\\" + s;
            ChangeKey(opened, s);
            return true;
        }
    }
    return false;
}

void TRegistry::CloseKey() {
    if (!currentKey_) return;
    RegCloseKey(currentKey_);
    currentKey_ = nullptr;
    currentPath_.clear();
}

bool TRegistry::CreateKey(const AnsiString& key) {
    HKEY created = nullptr;
    DWORD disposition = 0;
    bool ok = RegCreateKeyExA(BaseKey(IsRelative(key)), WithoutLeadingSlash(key).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &created, &disposition) == ERROR_SUCCESS;
    if (!ok) throw ERegistryException("Failed to create key " + key);
    RegCloseKey(created);
    return true;
}

bool TRegistry::DeleteKey(const AnsiString& key) {
    bool relative = IsRelative(key);
    AnsiString s = WithoutLeadingSlash(key);
    HKEY oldKey = currentKey_;
    if (HKEY doomed = GetKey(key)) {
        currentKey_ = doomed;
        TRegKeyInfo info;
        if (GetKeyInfo(info)) {
            std::vector<char> name(static_cast<std::size_t>(info.MaxSubKeyLen) + 1);
            for (int i = info.NumSubKeys - 1; i >= 0; --i) {
                DWORD len = static_cast<DWORD>(name.size());
                if (RegEnumKeyExA(doomed, static_cast<DWORD>(i), name.data(), &len, nullptr, nullptr, nullptr,
                                  nullptr) == ERROR_SUCCESS)
                    DeleteKey(AnsiString(name.data()));
            }
        }
        currentKey_ = oldKey;
        RegCloseKey(doomed);
    }
    return RegDeleteKeyA(BaseKey(relative), s.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const AnsiString& key) {
    REGSAM old = access_;
    access_ = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
    HKEY k = GetKey(key);
    access_ = old;
    if (k) RegCloseKey(k);
    return k != nullptr;
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& info) {
    info = {};
    DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueLen = 0, maxDataLen = 0;
    bool ok = RegQueryInfoKeyA(currentKey_, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr, &values,
                               &maxValueLen, &maxDataLen, nullptr, nullptr) == ERROR_SUCCESS;
    if (ok) info = {int(subKeys), int(maxSubKeyLen), int(values), int(maxValueLen), int(maxDataLen)};
    return ok;
}

bool TRegistry::HasSubKeys() {
    TRegKeyInfo info;
    return GetKeyInfo(info) && info.NumSubKeys > 0;
}

void TRegistry::GetKeyNames(TStrings* strings) {
    strings->Clear();
    TRegKeyInfo info;
    if (!GetKeyInfo(info)) return;
    std::vector<char> name(static_cast<std::size_t>(info.MaxSubKeyLen) + 1);
    for (int i = 0; i < info.NumSubKeys; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        name[0] = '\0';
        RegEnumKeyExA(currentKey_, static_cast<DWORD>(i), name.data(), &len, nullptr, nullptr, nullptr, nullptr);
        strings->Add(name.data());
    }
}

void TRegistry::GetValueNames(TStrings* strings) {
    strings->Clear();
    TRegKeyInfo info;
    if (!GetKeyInfo(info)) return;
    std::vector<char> name(static_cast<std::size_t>(info.MaxValueLen) + 1);
    for (int i = 0; i < info.NumValues; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        name[0] = '\0';
        RegEnumValueA(currentKey_, static_cast<DWORD>(i), name.data(), &len, nullptr, nullptr, nullptr, nullptr);
        strings->Add(name.data());
    }
}

bool TRegistry::ValueExists(const AnsiString& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info);
}

bool TRegistry::GetDataInfo(const AnsiString& name, TRegDataInfo& info) {
    info = {};
    DWORD type = REG_NONE, size = 0;
    bool ok = RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) info = {DataTypeToRegData(type), static_cast<int>(size)};
    return ok;
}

int TRegistry::GetDataSize(const AnsiString& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info) ? info.DataSize : -1;
}

TRegDataType TRegistry::GetDataType(const AnsiString& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info) ? info.RegData : rdUnknown;
}

long TRegistry::GetValueType(const AnsiString& name) {
    DWORD type = REG_NONE;
    if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) return -1;
    return static_cast<long>(type);
}

bool TRegistry::DeleteValue(const AnsiString& name) {
    return RegDeleteValueA(currentKey_, name.c_str()) == ERROR_SUCCESS;
}

int TRegistry::GetData(const AnsiString& name, void* buffer, int bufferSize, TRegDataType& type) {
    DWORD raw = REG_NONE;
    DWORD size = static_cast<DWORD>(bufferSize);
    if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, &raw, static_cast<LPBYTE>(buffer), &size) != ERROR_SUCCESS)
        throw ERegistryException("Failed to get data for '" + name + "'");
    type = DataTypeToRegData(raw);
    return static_cast<int>(size);
}

void TRegistry::PutData(const AnsiString& name, const void* buffer, int bufferSize, TRegDataType type) {
    if (RegSetValueExA(currentKey_, name.c_str(), 0, RegDataToDataType(type), static_cast<const BYTE*>(buffer),
                       static_cast<DWORD>(bufferSize)) != ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for '" + name + "'");
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

bool TRegistry::ReadBool(const AnsiString& name) { return ReadInteger(name) != 0; }

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

void TRegistry::WriteExpandString(const AnsiString& name, const AnsiString& value) {
    PutData(name, value.c_str(), static_cast<int>(value.size()) + 1, rdExpandString);
}

void TRegistry::WriteInteger(const AnsiString& name, int value) {
    std::int32_t v = value;
    PutData(name, &v, sizeof v, rdInteger);
}

void TRegistry::WriteBool(const AnsiString& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteBinaryData(const AnsiString& name, const void* buffer, int bufferSize) {
    PutData(name, buffer, bufferSize, rdBinary);
}
