#include "platform/AnsiString.h"

#include <gtest/gtest.h>

TEST(AnsiString, PortugueseLiteralsBecome1252Bytes) {
    EXPECT_EQ("Não"_a, std::string("N\xE3o"));
    EXPECT_EQ("Conexão terminada."_a.size(), 18u);
    EXPECT_EQ("€"_a, std::string("\x80"));
}

TEST(AnsiString, EveryByteRoundTripsThroughUtf8) {
    for (int b = 1; b < 256; ++b) {
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(one)), one) << "byte " << b;
    }
}

TEST(AnsiString, HighRangeUsesTheExactTable) {
    struct {
        unsigned char byte;
        const char* utf8;
    } cases[] = {
        {0x80, "€"}, {0x81, "\xC2\x81"}, {0x8A, "Š"}, {0x93, "“"}, {0x9F, "Ÿ"}, {0xE7, "ç"},
    };
    for (auto& c : cases) EXPECT_EQ(AnsiToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8);
}

TEST(AnsiString, C1ControlsBecomeTheBytesOfTheSameValue) {
    // As the platform's conversion for 1252 does: text read as Latin-1 keeps its bytes.
    for (char32_t cp = 0x80; cp < 0xA0; ++cp) {
        std::string utf8;
        AppendUtf8(utf8, cp);
        char byte = 0;
        EXPECT_TRUE(UnicodeToAnsiChar(cp, byte)) << static_cast<unsigned>(cp);
        EXPECT_EQ(static_cast<unsigned char>(byte), static_cast<unsigned>(cp));
        EXPECT_EQ(Utf8ToAnsi(utf8), std::string(1, static_cast<char>(cp)));
    }
    // The bytes themselves still read as 1252 ("\x92" is a quote), so they round-trip.
    EXPECT_EQ(AnsiToUtf8("D\x92Oeste"), "D\u2019Oeste");
    EXPECT_EQ(Utf8ToAnsi("D\u2019Oeste"), "D\x92Oeste");
}

TEST(AnsiString, UnmappableAndBrokenInputBecomesQuestionMark) {
    EXPECT_EQ(Utf8ToAnsi("日本"), "??");
    EXPECT_EQ(Utf8ToAnsi("a\xC3"), "a?");
    EXPECT_EQ(Utf8ToAnsi("\xFF"
                         "b"),
              "?b");
}
