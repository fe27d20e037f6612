#include "platform/Classes.h"

#include <gtest/gtest.h>

namespace {
std::vector<AnsiString> items(const TStringList& l) {
    std::vector<AnsiString> out;
    for (int i = 0; i < l.Count(); ++i) out.push_back(l[i]);
    return out;
}

int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }
}  // namespace

TEST(Collation, PairsCompareInThePortugueseLocaleOrder) {
    struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"alvaro", "ALVARO", 0},  // case ignored
        {"Álvaro", "ÁLVARO", 0},  // also on accented letters
        {"Çarla", "çARLA", 0},
        {"Šimon", "šimon", 0},      // 0x8A / 0x9A are one letter in two cases
        {"Alvaro", "Álvaro", -1},   // the accent only decides a tie
        {"Álvaro", "Alvarus", -1},  // ... never before the base letters
        {"Álvaro", "Alberto", 1},
        {"Álvaro", "Bruno", -1},
        {"João", "Joao", 1},
        {"Joao", "Joaquim", -1},
        {"ação", "acao", 1},
        {"á", "à", -1},  // acute, grave, circumflex, tilde
        {"à", "â", -1},
        {"â", "ã", -1},
        {"Ana", "Ana Maria", -1},      // a prefix first
        {"Ana Maria", "Anabela", -1},  // blank before letters
        {"joao_silva", "joaoa", -1},   // symbols before letters
        {"user9", "userA", -1},        // digits before letters
        {"user_1", "user1", -1},       // symbols before digits
        {"coop", "co-op", -1},         // hyphens weigh last
        {"co-op", "cooperar", -1},
        {"d'avila", "davila", 1},
        {"Ana-Maria", "Anabela", 1},
        {"Straße", "strasse", 1},  // a ligature weighs as its letters, then differs
        {"Strasse", "Strasze", -1},
        {"", "a", -1},
        {"", "", 0},
    };
    for (auto& c : cases) {
        AnsiString a = Utf8ToAnsi(c.a), b = Utf8ToAnsi(c.b);
        EXPECT_EQ(sign(AnsiCompareText(a, b)), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(sign(AnsiCompareText(b, a)), -c.expected) << c.b << " vs " << c.a;
    }
}

TEST(StringList, SortedListKeepsLocaleOrderAndIgnoresCaseDuplicates) {
    TStringList l;
    l.Sorted = true;
    for (const char* s : {"bruno", "Álvaro", "zé", "alberto", "ALVARO", "álvaro", "Ângela", "ana", "Bruno", "carlos",
                          "Alvaro", "Çarla", "joão", "joao", "JOÃO"})
        l.Add(Utf8ToAnsi(s));
    // "álvaro", "Bruno", "Alvaro" and "JOÃO" add nothing: each equals an earlier entry but for
    // case. "ALVARO" and "Álvaro", "joão" and "joao" differ by an accent and both stay.
    std::vector<AnsiString> expected;
    for (const char* s :
         {"alberto", "ALVARO", "Álvaro", "ana", "Ângela", "bruno", "Çarla", "carlos", "joao", "joão", "zé"})
        expected.push_back(Utf8ToAnsi(s));
    EXPECT_EQ(items(l), expected);
}

TEST(StringList, AddAndIndexOfIgnoreCaseButNotAccents) {
    TStringList l;
    l.Sorted = true;
    EXPECT_EQ(l.Add("Maria"), 0);
    EXPECT_EQ(l.Add("MARIA"), 0);  // the existing index
    EXPECT_EQ(l.Count(), 1);
    EXPECT_EQ(l[0], "Maria");  // the first spelling stays
    EXPECT_EQ(l.IndexOf("maria"), 0);
    EXPECT_EQ(l.IndexOf("Mária"_a), -1);
    l.Add("Mária"_a);
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l.IndexOf("MÁRIA"_a), 1);

    TStringList plain;
    plain.Add("b");
    plain.Add("B");
    plain.Add("a");
    EXPECT_EQ(items(plain), (std::vector<AnsiString>{"b", "B", "a"}));
    EXPECT_EQ(plain.IndexOf("A"), 2);
}

TEST(StringList, DuplicateModesAndSortingAfterTheFact) {
    TStringList accept;
    accept.Sorted = true;
    accept.Duplicates = TDuplicates::dupAccept;
    accept.Add("x");
    accept.Add("X");
    EXPECT_EQ(accept.Count(), 2);

    TStringList error;
    error.Sorted = true;
    error.Duplicates = TDuplicates::dupError;
    error.Add("x");
    EXPECT_THROW(error.Add("X"), EStringListError);

    TStringList late;
    for (const char* s : {"c", "b", "a"}) late.Add(s);
    late.Sorted = true;  // sorts what is there
    EXPECT_EQ(items(late), (std::vector<AnsiString>{"a", "b", "c"}));
    late.Add("bb");
    EXPECT_EQ(late[2], "bb");
}

TEST(StringList, BadIndexesAndInsertsIntoASortedListAreRefused) {
    TStringList l;
    l.Add("a");
    EXPECT_THROW(l.Get(1), EStringListError);
    EXPECT_THROW(l.Get(-1), EStringListError);
    EXPECT_THROW(l.Delete(1), EStringListError);
    l.Insert(1, "c");
    l.Insert(1, "b");
    EXPECT_EQ(items(l), (std::vector<AnsiString>{"a", "b", "c"}));
    EXPECT_THROW(l.Insert(5, "x"), EStringListError);
    l.Sorted = true;
    EXPECT_THROW(l.Insert(0, "z"), EStringListError);
    l.Delete(0);
    EXPECT_EQ(l.Text(), "b\r\nc\r\n");
}
