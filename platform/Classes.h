#pragma once
// The class library's string lists. TStrings is what a control's lines (a memo, a combo box)
// and a plain list share; TStringList is the plain list.
#include "AnsiString.h"

#include <vector>

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

// Compares in the user's locale order as the platform's sorted lists do: letters first by
// their base letter, case ignored, accents deciding only between otherwise equal words
// ("Álvaro" sorts among the A's). 0 when equal ignoring case.
int AnsiCompareText(const AnsiString& a, const AnsiString& b);

class TStringList : public TStrings {
public:
    int Count() const override { return static_cast<int>(items_.size()); }
    AnsiString Get(int index) const override { return items_.at(static_cast<std::size_t>(index)); }
    int Add(const AnsiString& s) override;
    void Clear() override { items_.clear(); }
    void Delete(int index) override { items_.erase(items_.begin() + index); }
    int IndexOf(const AnsiString& s) const override;
    void Insert(int index, const AnsiString& s);

    bool Sorted = false;
    TDuplicates Duplicates = TDuplicates::dupIgnore;  // only used when sorted

private:
    std::vector<AnsiString> items_;
};
