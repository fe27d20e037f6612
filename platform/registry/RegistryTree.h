#pragma once
// The registry's content in memory: three roots; keys found without regard to case but kept
// with the case they were created with; subkeys and values listed in the order they were
// added; every value kept as its type and its exact bytes.
#include "platform/AnsiString.h"
#include "platform/WinTypes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_MULTI_SZ 7

enum class RegRoot { CurrentUser, LocalMachine, DynData };
constexpr int RegRootCount = 3;

const char* RegRootName(RegRoot root);  // "HKEY_CURRENT_USER", ...
// Full names and the short ones (HKCU, HKLM, HKDD), case ignored.
bool RegRootFromName(const AnsiString& name, RegRoot& root);

// Key and value names compare as the platform compares them: case ignored, for the accented
// letters of code page 1252 too.
bool RegNamesEqual(const AnsiString& a, const AnsiString& b);

// The platform's limits: a key name of at most 255 characters, a key at most 512 levels
// below its root. Every way in (the objects' paths, the seed form) keeps to them, so the
// walks over the tree stay shallow.
constexpr std::size_t kMaxRegKeyName = 255;
constexpr std::size_t kMaxRegDepth = 512;
bool RegPathWithinLimits(const std::vector<AnsiString>& names);

// "a\b\c" into its names. A trailing "\" is allowed; an empty name anywhere else is not.
bool SplitRegPath(const AnsiString& path, std::vector<AnsiString>& names);
AnsiString JoinRegPath(const std::vector<AnsiString>& names);

struct RegValue {
    AnsiString name;  // empty: the key's default value
    DWORD type = REG_NONE;
    std::string data;
    bool operator==(const RegValue&) const = default;
};

class RegKey {
public:
    explicit RegKey(AnsiString name = {}) : name_(std::move(name)) {}
    RegKey(const RegKey& other);
    RegKey& operator=(const RegKey& other);
    RegKey(RegKey&&) = default;
    RegKey& operator=(RegKey&&) = default;

    const AnsiString& Name() const { return name_; }

    const RegKey* FindSubkey(const AnsiString& name) const;
    RegKey* FindSubkey(const AnsiString& name);
    // The subkey of that name, added at the end when missing.
    RegKey& AddSubkey(const AnsiString& name);
    bool RemoveSubkey(const AnsiString& name);
    std::size_t SubkeyCount() const { return subkeys_.size(); }
    const RegKey& Subkey(std::size_t i) const { return *subkeys_[i]; }

    const RegValue* FindValue(const AnsiString& name) const;
    // An existing value keeps its place and the case of its name.
    void SetValue(const AnsiString& name, DWORD type, std::string data);
    bool RemoveValue(const AnsiString& name);
    const std::vector<RegValue>& Values() const { return values_; }

    // Same names (case included), values and order, all the way down.
    bool operator==(const RegKey& other) const;

private:
    void indexValues();

    AnsiString name_;
    std::vector<std::unique_ptr<RegKey>> subkeys_;
    std::vector<RegValue> values_;
    // By the name as compared (upper case), so a look-up is not a walk over the siblings.
    std::unordered_map<std::string, RegKey*> subkeyIndex_;
    std::unordered_map<std::string, std::size_t> valueIndex_;
};

class RegTree {
public:
    RegTree();
    RegKey& Root(RegRoot root) { return roots_[static_cast<int>(root)]; }
    const RegKey& Root(RegRoot root) const { return roots_[static_cast<int>(root)]; }
    const RegKey* Find(RegRoot root, const std::vector<AnsiString>& names) const;
    RegKey* Find(RegRoot root, const std::vector<AnsiString>& names);
    // Creates the missing keys along the path.
    RegKey& Create(RegRoot root, const std::vector<AnsiString>& names);
    bool operator==(const RegTree& other) const;

private:
    RegKey roots_[RegRootCount];
};
