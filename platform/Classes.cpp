#include "Classes.h"

#include "SysUtils.h"

#include <algorithm>
#include <cstring>

namespace {
// Base letter and accent rank of one 1252 byte, for the locale order.
struct Weight {
    unsigned char base;
    unsigned char accent;
};

Weight weightOf(unsigned char c) {
    static const struct { const char* chars; char base; } kFolds[] = {
        {"\xC0\xC1\xC2\xC3\xC4\xC5\xE0\xE1\xE2\xE3\xE4\xE5", 'A'},
        {"\xC7\xE7", 'C'},
        {"\xC8\xC9\xCA\xCB\xE8\xE9\xEA\xEB", 'E'},
        {"\xCC\xCD\xCE\xCF\xEC\xED\xEE\xEF", 'I'},
        {"\xD1\xF1", 'N'},
        {"\xD2\xD3\xD4\xD5\xD6\xD8\xF2\xF3\xF4\xF5\xF6\xF8", 'O'},
        {"\xD9\xDA\xDB\xDC\xF9\xFA\xFB\xFC", 'U'},
        {"\xDD\xFD\xFF\x9F", 'Y'},
        {"\x8A\x9A", 'S'},
        {"\x8E\x9E", 'Z'},
    };
    if (c >= 'a' && c <= 'z') return {static_cast<unsigned char>(c - 32), 0};
    if (c < 0x80) return {c, 0};
    for (const auto& f : kFolds) {
        const char* p = std::strchr(f.chars, static_cast<char>(c));
        if (p) {
            // Same accent, either case, gets the same rank.
            unsigned char lower = static_cast<unsigned char>(c >= 0xC0 && c < 0xDF ? c + 0x20 : c);
            return {static_cast<unsigned char>(f.base), static_cast<unsigned char>(1 + (lower & 0x1F))};
        }
    }
    // Other symbols sort after the letters, in byte order.
    return {c, 0};
}
} // namespace

int AnsiCompareText(const AnsiString& a, const AnsiString& b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        Weight wa = weightOf(static_cast<unsigned char>(a[i]));
        Weight wb = weightOf(static_cast<unsigned char>(b[i]));
        if (wa.base != wb.base) return wa.base < wb.base ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        Weight wa = weightOf(static_cast<unsigned char>(a[i]));
        Weight wb = weightOf(static_cast<unsigned char>(b[i]));
        if (wa.accent != wb.accent) return wa.accent < wb.accent ? -1 : 1;
    }
    return 0;
}

int TStrings::IndexOf(const AnsiString& s) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiCompareText(Get(i), s) == 0) return i;
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

int TStringList::Add(const AnsiString& s) {
    if (!Sorted) {
        items_.push_back(s);
        return Count() - 1;
    }
    auto it = std::lower_bound(items_.begin(), items_.end(), s,
                               [](const AnsiString& x, const AnsiString& y) { return AnsiCompareText(x, y) < 0; });
    if (it != items_.end() && AnsiCompareText(*it, s) == 0 && Duplicates != TDuplicates::dupAccept) {
        if (Duplicates == TDuplicates::dupError) throw Exception("String list does not allow duplicates");
        return static_cast<int>(it - items_.begin());
    }
    return static_cast<int>(items_.insert(it, s) - items_.begin());
}

int TStringList::IndexOf(const AnsiString& s) const { return TStrings::IndexOf(s); }

void TStringList::Insert(int index, const AnsiString& s) {
    items_.insert(items_.begin() + index, s);
}
