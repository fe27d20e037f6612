#include "platform/WinNls.h"

#include <gtest/gtest.h>

#include <string>

namespace {
struct Result {
    int size;
    std::string bytes;
    BOOL usedDefault;
};

// Converts with a buffer of `room` bytes (0: only the size).
Result convert(UINT cp, const std::u16string& text, int count, int room, LPCSTR defaultChar = nullptr) {
    std::string buffer(room > 0 ? room : 1, '#');
    BOOL used = 7;
    int n = WideCharToMultiByte(cp, 0, text.c_str(), count, room > 0 ? buffer.data() : nullptr, room, defaultChar,
                                cp == CP_UTF8 ? nullptr : &used);
    return {n, room > 0 ? buffer : std::string(), used};
}
}  // namespace

TEST(WinNls, WideTextBecomesAnsiCodePageBytes) {
    const char star = '*';
    struct {
        const char* name;
        UINT cp;
        std::u16string text;
        int count, room;
        LPCSTR defaultChar;
        Result expected;
    } cases[] = {
        {"whole text with its zero",
         CP_ACP,
         u"Conex\u00e3o",
         -1,
         16,
         nullptr,
         {8, std::string("Conex\xE3o\0########", 16), FALSE}},
        {"size only", CP_ACP, u"Conex\u00e3o", -1, 0, nullptr, {8, "", FALSE}},
        {"a count leaves the zero out", CP_ACP, u"Conex\u00e3o", 3, 4, nullptr, {3, "Con#", FALSE}},
        {"0x80-0x9F letters", 1252, u"\u20ac\u2026\u0153\u0178", 4, 4, nullptr, {4, "\x80\x85\x9C\x9F", FALSE}},
        {"no best fit", CP_ACP, u"\u0100b", 2, 2, nullptr, {2, "?b", TRUE}},
        {"the caller's default", CP_ACP, u"\u4e2d", 1, 1, &star, {1, "*", TRUE}},
        {"a pair is one character", CP_ACP, u"\U0001F600x", 3, 2, nullptr, {2, "?x", TRUE}},
        {"an unpaired surrogate", CP_ACP, std::u16string(1, char16_t(0xDC00)) + u"x", 2, 2, nullptr, {2, "?x", TRUE}},
        {"too small a buffer", CP_ACP, u"abc", -1, 3, nullptr, {0, "###", FALSE}},
        {"an unknown code page", 437, u"abc", -1, 8, nullptr, {0, "########", 7}},
        {"a count of 0", CP_ACP, u"abc", 0, 8, nullptr, {0, "########", 7}},
    };
    for (auto& c : cases) {
        Result r = convert(c.cp, c.text, c.count, c.room, c.defaultChar);
        EXPECT_EQ(r.size, c.expected.size) << c.name;
        EXPECT_EQ(r.bytes, c.expected.bytes) << c.name;
        EXPECT_EQ(r.usedDefault, c.expected.usedDefault) << c.name;
    }
}

TEST(WinNls, Utf8AndNullArguments) {
    char buf[16] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00e3\u20ac", -1, buf, sizeof buf, nullptr, nullptr), 6);
    EXPECT_STREQ(buf, "\xC3\xA3\xE2\x82\xAC");
    BOOL used;
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", -1, buf, sizeof buf, nullptr, &used), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, nullptr, -1, buf, sizeof buf, nullptr, nullptr), 0);
}
