#pragma once
// The class library's registry object, straight on the simulated machine's registry
// (RegistryStore.h), with the class library's behaviour:
// - it starts on HKEY_CURRENT_USER with KEY_ALL_ACCESS, and every OpenKey asks for the
//   object's access, so a key the user may only read does not open (construct with KEY_READ);
// - a key name starting with "\" is taken from the root, otherwise from the open key;
// - missing values read as "" (ReadString) or 0 bytes (ReadBinaryData); ReadInteger of a
//   missing value raises;
// - ERegistryException when a value holds another type than the read expects, a binary
//   value is larger than the buffer, a number does not fit, or a write is refused.
// And with the platform's rules underneath:
// - the machine's access rules (RegistryAccess.h) are checked when a key opens; the open key
//   keeps the rights it was opened with, as a handle does. HKEY_DYN_DATA is never more than
//   readable, and every read of data there is logged (DynDataReads);
// - a key that another process deleted while it was open has no values and takes no writes;
// - a key path holds no control characters and no empty name (two "\" in a row).
#include "RegistryTree.h"
#include "platform/Classes.h"
#include "platform/SysUtils.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001u});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002u});
inline HKEY const HKEY_DYN_DATA = reinterpret_cast<HKEY>(std::uintptr_t{0x80000006u});

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM STANDARD_RIGHTS_READ = 0x00020000;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_EXECUTE = KEY_READ;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

class ERegistryException : public Exception {
    using Exception::Exception;
};

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    int DataSize = 0;
};

class TRegistry {
public:
    TRegistry() = default;
    explicit TRegistry(REGSAM access) : access_(access) {}
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    void SetRootKey(HKEY root);  // closes the open key
    bool OpenKey(const AnsiString& key, bool canCreate);
    void CloseKey() { key_.reset(); }
    void GetKeyNames(TStrings* strings);

    bool ValueExists(const AnsiString& name);
    bool GetDataInfo(const AnsiString& name, TRegDataInfo& info);
    int GetDataSize(const AnsiString& name);  // -1 when missing
    // The stored type itself (REG_NONE, REG_MULTI_SZ... that the class library's kinds
    // report as rdUnknown); -1 when missing.
    long GetValueType(const AnsiString& name);

    AnsiString ReadString(const AnsiString& name);
    int ReadInteger(const AnsiString& name);
    // The value's size; 0 when missing. Raises when it is not binary (REG_BINARY, or a type
    // the class library does not know) or larger than `bufferSize`.
    int ReadBinaryData(const AnsiString& name, void* buffer, int bufferSize);

    void WriteString(const AnsiString& name, const AnsiString& value);
    void WriteInteger(const AnsiString& name, int value);
    void WriteBinaryData(const AnsiString& name, const void* buffer, int bufferSize);

private:
    // An open key: which one (names as stored), and the rights it was opened with.
    struct Key {
        RegRoot root = RegRoot::CurrentUser;
        std::vector<AnsiString> names;
        REGSAM granted = 0;
    };

    std::optional<Key> Open(const Key& base, const std::vector<AnsiString>& names) const;
    std::optional<Key> Create(const Key& base, const std::vector<AnsiString>& names) const;
    // Runs `f` on the open key when it was opened with the `needed` rights; ERROR_* otherwise.
    LONG ReadKey(REGSAM needed, const std::function<LONG(const RegKey&)>& f) const;
    LONG WriteKey(const std::function<LONG(RegKey&, bool& changed)>& f) const;
    bool FindValue(const AnsiString& name, RegValue& value) const;
    int GetData(const AnsiString& name, void* buffer, int bufferSize, TRegDataType& type);
    void PutData(const AnsiString& name, const void* buffer, int bufferSize, TRegDataType type);

    HKEY rootKey_ = HKEY_CURRENT_USER;
    REGSAM access_ = KEY_ALL_ACCESS;
    std::optional<Key> key_;
};
