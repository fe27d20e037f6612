#include "RegistryTree.h"

#include <algorithm>

namespace {

const char* const kRootNames[RegRootCount] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_DYN_DATA"};
const char* const kRootShortNames[RegRootCount] = {"HKCU", "HKLM", "HKDD"};

// Upper case of one 1252 byte: ASCII, the accented letters, and the pairs š/Š, œ/Œ, ž/Ž, ÿ/Ÿ.
unsigned char Upper1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
    }
}

}  // namespace

const char* RegRootName(RegRoot root) { return kRootNames[static_cast<int>(root)]; }

bool RegRootFromName(const AnsiString& name, RegRoot& root) {
    for (int i = 0; i < RegRootCount; ++i) {
        if (RegNamesEqual(name, kRootNames[i]) || RegNamesEqual(name, kRootShortNames[i])) {
            root = static_cast<RegRoot>(i);
            return true;
        }
    }
    return false;
}

bool RegNamesEqual(const AnsiString& a, const AnsiString& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Upper1252(static_cast<unsigned char>(x)) == Upper1252(static_cast<unsigned char>(y));
           });
}

bool SplitRegPath(const AnsiString& path, std::vector<AnsiString>& names) {
    names.clear();
    if (path.empty()) return true;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end == start) return false;
        names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

AnsiString JoinRegPath(const std::vector<AnsiString>& names) {
    AnsiString out;
    for (const auto& n : names) {
        if (!out.empty()) out += '\\';
        out += n;
    }
    return out;
}

RegKey::RegKey(const RegKey& other) : name_(other.name_), values_(other.values_) {
    for (const auto& k : other.subkeys_) subkeys_.push_back(std::make_unique<RegKey>(*k));
}

RegKey& RegKey::operator=(const RegKey& other) {
    if (this != &other) {
        RegKey copy(other);
        *this = std::move(copy);
    }
    return *this;
}

const RegKey* RegKey::FindSubkey(const AnsiString& name) const {
    for (const auto& k : subkeys_)
        if (RegNamesEqual(k->name_, name)) return k.get();
    return nullptr;
}

RegKey* RegKey::FindSubkey(const AnsiString& name) {
    return const_cast<RegKey*>(static_cast<const RegKey*>(this)->FindSubkey(name));
}

RegKey& RegKey::AddSubkey(const AnsiString& name) {
    if (RegKey* k = FindSubkey(name)) return *k;
    subkeys_.push_back(std::make_unique<RegKey>(name));
    return *subkeys_.back();
}

bool RegKey::RemoveSubkey(const AnsiString& name) {
    auto it = std::find_if(subkeys_.begin(), subkeys_.end(),
                           [&](const auto& k) { return RegNamesEqual(k->name_, name); });
    if (it == subkeys_.end()) return false;
    subkeys_.erase(it);
    return true;
}

const RegValue* RegKey::FindValue(const AnsiString& name) const {
    for (const auto& v : values_)
        if (RegNamesEqual(v.name, name)) return &v;
    return nullptr;
}

void RegKey::SetValue(const AnsiString& name, DWORD type, std::string data) {
    for (auto& v : values_) {
        if (RegNamesEqual(v.name, name)) {
            v.type = type;
            v.data = std::move(data);
            return;
        }
    }
    values_.push_back({name, type, std::move(data)});
}

bool RegKey::RemoveValue(const AnsiString& name) {
    auto it = std::find_if(values_.begin(), values_.end(), [&](const RegValue& v) { return RegNamesEqual(v.name, name); });
    if (it == values_.end()) return false;
    values_.erase(it);
    return true;
}

bool RegKey::operator==(const RegKey& other) const {
    if (name_ != other.name_ || values_ != other.values_ || subkeys_.size() != other.subkeys_.size()) return false;
    for (std::size_t i = 0; i < subkeys_.size(); ++i)
        if (!(*subkeys_[i] == *other.subkeys_[i])) return false;
    return true;
}

RegTree::RegTree() {
    for (int i = 0; i < RegRootCount; ++i) roots_[i] = RegKey(kRootNames[i]);
}

const RegKey* RegTree::Find(RegRoot root, const std::vector<AnsiString>& names) const {
    const RegKey* k = &Root(root);
    for (const auto& n : names) {
        k = k->FindSubkey(n);
        if (!k) return nullptr;
    }
    return k;
}

RegKey* RegTree::Find(RegRoot root, const std::vector<AnsiString>& names) {
    return const_cast<RegKey*>(static_cast<const RegTree*>(this)->Find(root, names));
}

RegKey& RegTree::Create(RegRoot root, const std::vector<AnsiString>& names) {
    RegKey* k = &Root(root);
    for (const auto& n : names) k = &k->AddSubkey(n);
    return *k;
}

bool RegTree::operator==(const RegTree& other) const {
    for (int i = 0; i < RegRootCount; ++i)
        if (!(roots_[i] == other.roots_[i])) return false;
    return true;
}
