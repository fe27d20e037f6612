#include "Classes.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {
// One collation element: the base weight decides first, over the whole word; the accent
// weight only when all base weights are equal. Upper and lower case share both.
struct Element {
    uint16_t base;
    uint8_t accent;
};

enum : uint16_t { kSymbols = 0x000, kDigits = 0x200, kLetters = 0x300 };
// Accent order of the Portuguese locale: none, acute, grave, circumflex, ring, diaeresis,
// tilde, cedilla, caron, stroke, ligature, hook, ordinal.
enum : uint8_t {
    None,
    Acute,
    Grave,
    Circumflex,
    Ring,
    Diaeresis,
    Tilde,
    Cedilla,
    Caron,
    Stroke,
    Ligature,
    Hook,
    Ordinal
};

struct Weights {
    uint8_t count = 1;  // 0: hyphen or apostrophe (weighed last), 2: a ligature
    Element e[2]{};
};

constexpr Element letter(char upper, uint8_t accent = None) {
    return {static_cast<uint16_t>(kLetters + (upper - 'A')), accent};
}

std::array<Weights, 256> buildTable() {
    std::array<Weights, 256> t{};
    for (int c = 0; c < 256; ++c) t[c].e[0] = {static_cast<uint16_t>(kSymbols + c), None};
    for (int c = '0'; c <= '9'; ++c) t[c].e[0] = {static_cast<uint16_t>(kDigits + c - '0'), None};
    for (char c = 'A'; c <= 'Z'; ++c) {
        t[static_cast<unsigned char>(c)].e[0] = letter(c);
        t[static_cast<unsigned char>(c + 32)].e[0] = letter(c);
    }
    t['-'].count = 0;
    t['\''].count = 0;
    // Letters with accents, by the upper-case byte; the lower case is 0x20 above except
    // where a second byte is given.
    struct {
        unsigned char upper, lower;
        char base;
        uint8_t accent;
    } accented[] = {
        {0xC0, 0xE0, 'A', Grave},      {0xC1, 0xE1, 'A', Acute},      {0xC2, 0xE2, 'A', Circumflex},
        {0xC3, 0xE3, 'A', Tilde},      {0xC4, 0xE4, 'A', Diaeresis},  {0xC5, 0xE5, 'A', Ring},
        {0xC7, 0xE7, 'C', Cedilla},    {0xC8, 0xE8, 'E', Grave},      {0xC9, 0xE9, 'E', Acute},
        {0xCA, 0xEA, 'E', Circumflex}, {0xCB, 0xEB, 'E', Diaeresis},  {0xCC, 0xEC, 'I', Grave},
        {0xCD, 0xED, 'I', Acute},      {0xCE, 0xEE, 'I', Circumflex}, {0xCF, 0xEF, 'I', Diaeresis},
        {0xD0, 0xF0, 'D', Stroke},     {0xD1, 0xF1, 'N', Tilde},      {0xD2, 0xF2, 'O', Grave},
        {0xD3, 0xF3, 'O', Acute},      {0xD4, 0xF4, 'O', Circumflex}, {0xD5, 0xF5, 'O', Tilde},
        {0xD6, 0xF6, 'O', Diaeresis},  {0xD8, 0xF8, 'O', Stroke},     {0xD9, 0xF9, 'U', Grave},
        {0xDA, 0xFA, 'U', Acute},      {0xDB, 0xFB, 'U', Circumflex}, {0xDC, 0xFC, 'U', Diaeresis},
        {0xDD, 0xFD, 'Y', Acute},      {0x9F, 0xFF, 'Y', Diaeresis},  {0x8A, 0x9A, 'S', Caron},
        {0x8E, 0x9E, 'Z', Caron},      {0x83, 0x83, 'F', Hook},       {0xAA, 0xAA, 'A', Ordinal},
        {0xBA, 0xBA, 'O', Ordinal},
    };
    for (auto& a : accented) {
        t[a.upper].e[0] = letter(a.base, a.accent);
        t[a.lower].e[0] = letter(a.base, a.accent);
    }
    // Thorn is a letter of its own after Z.
    t[0xDE].e[0] = t[0xFE].e[0] = {static_cast<uint16_t>(kLetters + 26), None};
    // Ligatures weigh as their two letters, marked so they differ from the letters written out.
    struct {
        unsigned char upper, lower;
        char first, second;
    } ligatures[] = {
        {0xC6, 0xE6, 'A', 'E'},
        {0x8C, 0x9C, 'O', 'E'},
        {0xDF, 0xDF, 'S', 'S'},
    };
    for (auto& l : ligatures) {
        for (unsigned char c : {l.upper, l.lower}) {
            t[c].count = 2;
            t[c].e[0] = letter(l.first, Ligature);
            t[c].e[1] = letter(l.second, Ligature);
        }
    }
    return t;
}

const std::array<Weights, 256>& table() {
    static const std::array<Weights, 256> t = buildTable();
    return t;
}

// Walks the collation elements of a text, skipping hyphens and apostrophes.
class Elements {
public:
    explicit Elements(const AnsiString& s) : s_(s) {}
    bool next(Element& out) {
        const auto& t = table();
        while (pos_ < s_.size()) {
            const Weights& w = t[static_cast<unsigned char>(s_[pos_])];
            if (sub_ < w.count) {
                out = w.e[sub_++];
                return true;
            }
            ++pos_;
            sub_ = 0;
        }
        return false;
    }

private:
    const AnsiString& s_;
    std::size_t pos_ = 0;
    int sub_ = 0;
};

template <typename Key>
int compareLevel(const AnsiString& a, const AnsiString& b, Key key) {
    Elements ea(a), eb(b);
    Element x{}, y{};
    for (;;) {
        bool hasX = ea.next(x), hasY = eb.next(y);
        if (!hasX || !hasY) return hasX == hasY ? 0 : (hasX ? 1 : -1);
        if (key(x) != key(y)) return key(x) < key(y) ? -1 : 1;
    }
}

// Last level: where the hyphens and apostrophes stand; a text without them comes first.
int compareHyphens(const AnsiString& a, const AnsiString& b) {
    const auto& t = table();
    auto nextHyphen = [&t](const AnsiString& s, std::size_t from) {
        while (from < s.size() && t[static_cast<unsigned char>(s[from])].count != 0) ++from;
        return from;
    };
    std::size_t i = nextHyphen(a, 0), j = nextHyphen(b, 0);
    while (i < a.size() && j < b.size()) {
        if (i != j) return i < j ? -1 : 1;
        if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        i = nextHyphen(a, i + 1);
        j = nextHyphen(b, j + 1);
    }
    if ((i < a.size()) != (j < b.size())) return i < a.size() ? 1 : -1;
    return 0;
}
}  // namespace

int AnsiCompareText(const AnsiString& a, const AnsiString& b) {
    if (int r = compareLevel(a, b, [](const Element& e) { return e.base; })) return r;
    if (int r = compareLevel(a, b, [](const Element& e) { return e.accent; })) return r;
    return compareHyphens(a, b);
}

int TStrings::IndexOf(const AnsiString& s) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Get(i), s)) return i;
    return -1;
}

AnsiString TStrings::Text() const {
    AnsiString out;
    for (int i = 0; i < Count(); ++i) out += Get(i) + "\r\n";
    return out;
}

void TStrings::Assign(const TStrings& other) {
    Clear();
    for (int i = 0; i < other.Count(); ++i) Add(other.Get(i));
}

void TStrings::SaveToFile(const AnsiString& path) const { WriteWholeFile(path, Text()); }

void TStringList::sync() const {
    if (!Sorted) {
        ordered_ = false;
        return;
    }
    if (!ordered_) {
        std::stable_sort(items_.begin(), items_.end(),
                         [](const AnsiString& x, const AnsiString& y) { return AnsiCompareText(x, y) < 0; });
        ordered_ = true;
    }
}

void TStringList::checkIndex(int index, int limit) const {
    if (index < 0 || index >= limit) throw EStringListError(Format("List index out of bounds (%d)", index));
}

int TStringList::Count() const { return static_cast<int>(items_.size()); }

AnsiString TStringList::Get(int index) const {
    sync();
    checkIndex(index, Count());
    return items_[static_cast<std::size_t>(index)];
}

bool TStringList::Find(const AnsiString& s, int& index) const {
    sync();
    auto it = std::lower_bound(items_.begin(), items_.end(), s,
                               [](const AnsiString& x, const AnsiString& y) { return AnsiCompareText(x, y) < 0; });
    index = static_cast<int>(it - items_.begin());
    return it != items_.end() && AnsiSameText(*it, s);
}

int TStringList::Add(const AnsiString& s) {
    sync();
    if (!Sorted) {
        items_.push_back(s);
        return Count() - 1;
    }
    int index;
    if (Find(s, index) && Duplicates != TDuplicates::dupAccept) {
        if (Duplicates == TDuplicates::dupError) throw EStringListError("String list does not allow duplicates");
        return index;
    }
    items_.insert(items_.begin() + index, s);
    return index;
}

void TStringList::Delete(int index) {
    sync();
    checkIndex(index, Count());
    items_.erase(items_.begin() + index);
}

int TStringList::IndexOf(const AnsiString& s) const {
    sync();
    if (!Sorted) return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

void TStringList::Insert(int index, const AnsiString& s) {
    sync();
    if (Sorted) throw EStringListError("Operation not allowed on sorted list");
    checkIndex(index, Count() + 1);
    items_.insert(items_.begin() + index, s);
}
