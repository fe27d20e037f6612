#pragma once
// The class library's registry object, over the platform calls of WinReg.h and with the
// class library's behaviour:
// - it starts on HKEY_CURRENT_USER with KEY_ALL_ACCESS, and every OpenKey asks for the
//   object's access, so a key the user may only read does not open (use OpenKeyReadOnly or
//   construct with KEY_READ); OpenKeyReadOnly keeps its read access for later opens;
// - a key name starting with "\" is taken from the root, otherwise from the open key;
// - missing values read as "" (ReadString) or 0 bytes (ReadBinaryData); ReadInteger of a
//   missing value raises;
// - ERegistryException when a value holds another type than the read expects, a binary
//   value is larger than the buffer, a number does not fit, or a write is refused.
#include "Classes.h"
#include "SysUtils.h"
#include "WinReg.h"

class ERegistryException : public Exception { using Exception::Exception; };

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    int DataSize = 0;
};

struct TRegKeyInfo {
    int NumSubKeys = 0;
    int MaxSubKeyLen = 0;
    int NumValues = 0;
    int MaxValueLen = 0;
    int MaxDataLen = 0;
};

class TRegistry {
public:
    TRegistry();
    explicit TRegistry(REGSAM access);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return rootKey_; }
    void SetRootKey(HKEY root);  // closes the open key
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM access) { access_ = access; }
    HKEY CurrentKey() const { return currentKey_; }
    AnsiString CurrentPath() const { return currentPath_; }

    bool OpenKey(const AnsiString& key, bool canCreate);
    bool OpenKeyReadOnly(const AnsiString& key);
    void CloseKey();
    bool CreateKey(const AnsiString& key);  // raises when the key cannot be created
    bool DeleteKey(const AnsiString& key);  // with everything below it
    bool KeyExists(const AnsiString& key);
    bool HasSubKeys();
    bool GetKeyInfo(TRegKeyInfo& info);
    void GetKeyNames(TStrings* strings);
    void GetValueNames(TStrings* strings);

    bool ValueExists(const AnsiString& name);
    bool GetDataInfo(const AnsiString& name, TRegDataInfo& info);
    int GetDataSize(const AnsiString& name);           // -1 when missing
    TRegDataType GetDataType(const AnsiString& name);  // rdUnknown when missing
    // The stored type itself (REG_NONE, REG_MULTI_SZ... that GetDataType reports as
    // rdUnknown); -1 when missing.
    long GetValueType(const AnsiString& name);
    bool DeleteValue(const AnsiString& name);

    AnsiString ReadString(const AnsiString& name);
    int ReadInteger(const AnsiString& name);
    bool ReadBool(const AnsiString& name);
    // The value's size; 0 when missing. Raises when it is not binary (REG_BINARY, or a type
    // the class library does not know) or larger than `bufferSize`.
    int ReadBinaryData(const AnsiString& name, void* buffer, int bufferSize);

    void WriteString(const AnsiString& name, const AnsiString& value);
    void WriteExpandString(const AnsiString& name, const AnsiString& value);
    void WriteInteger(const AnsiString& name, int value);
    void WriteBool(const AnsiString& name, bool value);
    void WriteBinaryData(const AnsiString& name, const void* buffer, int bufferSize);

private:
    HKEY BaseKey(bool relative) const;
    HKEY GetKey(const AnsiString& key);
    void ChangeKey(HKEY key, const AnsiString& path);
    int GetData(const AnsiString& name, void* buffer, int bufferSize, TRegDataType& type);
    void PutData(const AnsiString& name, const void* buffer, int bufferSize, TRegDataType type);

    HKEY rootKey_ = HKEY_CURRENT_USER;
    HKEY currentKey_ = nullptr;
    AnsiString currentPath_;
    REGSAM access_ = KEY_ALL_ACCESS;
};
