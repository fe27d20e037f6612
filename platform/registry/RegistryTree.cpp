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

// The name as the comparison sees it.
std::string Folded(const AnsiString& name) {
    std::string out(name);
    for (char& c : out) c = static_cast<char>(Upper1252(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

bool RegPathWithinLimits(const std::vector<AnsiString>& names) {
    if (names.size() > kMaxRegDepth) return false;
    for (const auto& n : names)
        if (n.size() > kMaxRegKeyName) return false;
    return true;
}

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
    for (const auto& k : other.subkeys_) {
        subkeys_.push_back(std::make_unique<RegKey>(*k));
        subkeyIndex_.emplace(Folded(k->name_), subkeys_.back().get());
    }
    indexValues();
}

RegKey& RegKey::operator=(const RegKey& other) {
    if (this != &other) {
        RegKey copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void RegKey::indexValues() {
    valueIndex_.clear();
    for (std::size_t i = 0; i < values_.size(); ++i) valueIndex_.emplace(Folded(values_[i].name), i);
}

const RegKey* RegKey::FindSubkey(const AnsiString& name) const {
    auto it = subkeyIndex_.find(Folded(name));
    return it == subkeyIndex_.end() ? nullptr : it->second;
}

RegKey* RegKey::FindSubkey(const AnsiString& name) {
    return const_cast<RegKey*>(static_cast<const RegKey*>(this)->FindSubkey(name));
}

RegKey& RegKey::AddSubkey(const AnsiString& name) {
    auto [it, added] = subkeyIndex_.emplace(Folded(name), nullptr);
    if (!added) return *it->second;
    subkeys_.push_back(std::make_unique<RegKey>(name));
    it->second = subkeys_.back().get();
    return *it->second;
}

bool RegKey::RemoveSubkey(const AnsiString& name) {
    auto found = subkeyIndex_.find(Folded(name));
    if (found == subkeyIndex_.end()) return false;
    RegKey* key = found->second;
    subkeyIndex_.erase(found);
    std::erase_if(subkeys_, [key](const auto& k) { return k.get() == key; });
    return true;
}

const RegValue* RegKey::FindValue(const AnsiString& name) const {
    auto it = valueIndex_.find(Folded(name));
    return it == valueIndex_.end() ? nullptr : &values_[it->second];
}

void RegKey::SetValue(const AnsiString& name, DWORD type, std::string data) {
    auto [it, added] = valueIndex_.emplace(Folded(name), values_.size());
    if (added) {
        values_.push_back({name, type, std::move(data)});
        return;
    }
    values_[it->second].type = type;
    values_[it->second].data = std::move(data);
}

bool RegKey::RemoveValue(const AnsiString& name) {
    auto it = valueIndex_.find(Folded(name));
    if (it == valueIndex_.end()) return false;
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(it->second));
    indexValues();
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
