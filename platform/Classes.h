#pragma once
// The class library's string lists. TStrings is what a control's lines (a memo, a combo box)
// and a plain list share; TStringList is the plain list.
#include "AnsiString.h"
#include "SysUtils.h"

#include <vector>

// A bad index, an insert into a sorted list, a refused duplicate.
class EStringListError : public Exception {
    using Exception::Exception;
};

class TStrings {
public:
    virtual ~TStrings() = default;
    virtual int Count() const = 0;
    virtual AnsiString Get(int index) const = 0;
    virtual int Add(const AnsiString& s) = 0;  // index of the new (or existing) line
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual int IndexOf(const AnsiString& s) const;  // case-insensitive, -1 when absent
    AnsiString operator[](int index) const { return Get(index); }
    // Lines joined with CR LF after each, as the class library stores them.
    AnsiString Text() const;
    void Assign(const TStrings& other);
    void SaveToFile(const AnsiString& path) const;  // whole file; raises EFCreateError
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

// Compares in the user's locale order (Portuguese) as the platform's sorted lists do:
// symbols before digits before letters; letters by their base letter over the whole word,
// case ignored; accents decide only between words that are otherwise equal ("Alvarez" <
// "Alvaro" < "Álvaro" < "Alvarus"); hyphens and apostrophes
// count only when all else is equal ("coop" < "co-op" < "cooperar"). 0 only when the two
// differ at most in the case of their letters.
int AnsiCompareText(const AnsiString& a, const AnsiString& b);
inline bool AnsiSameText(const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) == 0; }

class TStringList : public TStrings {
public:
    int Count() const override;
    AnsiString Get(int index) const override;
    int Add(const AnsiString& s) override;
    void Clear() override { items_.clear(); }
    void Delete(int index) override;
    int IndexOf(const AnsiString& s) const override;
    void Insert(int index, const AnsiString& s);  // refused on a sorted list
    // Binary search of a sorted list: true and the index when found, else false and the
    // index where it would go.
    bool Find(const AnsiString& s, int& index) const;

    // Switching Sorted on sorts what the list already holds (before its next use).
    bool Sorted = false;
    TDuplicates Duplicates = TDuplicates::dupIgnore;  // only used when sorted

private:
    void sync() const;
    void checkIndex(int index, int limit) const;

    mutable std::vector<AnsiString> items_;
    mutable bool ordered_ = false;  // items_ known to be in order since Sorted went on
};
