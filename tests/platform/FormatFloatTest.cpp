// Numbers by picture, as the speed report and other texts show them.
#include "platform/SysUtils.h"

#include <cstdlib>
#include <string>
#include <gtest/gtest.h>

namespace {
// Sets both separators for one test and puts back what was there.
struct Separators {
    char thousands = ThousandSeparator(), decimal = DecimalSeparator();
    Separators(char t, char d) {
        SetThousandSeparator(t);
        SetDecimalSeparator(d);
    }
    ~Separators() {
        SetThousandSeparator(thousands);
        SetDecimalSeparator(decimal);
    }
};
}  // namespace

TEST(FormatFloat, PicturesWithDotAsThousandsSeparator) {
    Separators s('.', ',');
    struct {
        const char* picture;
        double value;
        const char* text;
    } cases[] = {
        {"##,###", 0, ""},
        {"##,###", 7, "7"},
        {"##,###", 999, "999"},
        {"##,###", 1000, "1.000"},
        {"##,###", 52000, "52.000"},
        {"##,###", 33600, "33.600"},
        {"##,###", 115200, "115.200"},
        {"##,###", 4294967295.0, "4.294.967.295"},
        {"##,###", 999.5, "1.000"},
        {"##,###", -1234567, "-1.234.567"},
        {"#,##0", 0, "0"},
        {"0000", 42, "0042"},
        {"0.00", 3.14159, "3,14"},
        {"0.00", 2.5, "2,50"},
        {"#.##", 2.5, "2,5"},
        {"#.##", 0.004, ""},
        {"0.0", -0.04, "0,0"},
        {"#,##0.00", 1234.567, "1.234,57"},
        {"Conectado a ##,### bps", 52000, "Conectado a 52.000 bps"},
        {"##,###;(##,###)", 1000, "1.000"},
        {"sem n\xFAmero", 5, "sem n\xFAmero"},
    };
    for (auto& c : cases) EXPECT_EQ(FormatFloat(c.picture, c.value), c.text) << c.picture << " " << c.value;
}

TEST(FormatFloat, TheSeparatorsAreSettable) {
    Separators s(',', '.');
    EXPECT_EQ(FormatFloat("##,###", 52000), "52,000");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1,234.50");
    SetThousandSeparator('\xA0');
    EXPECT_EQ(FormatFloat("##,###", 1000),
              "1\xA0"
              "000");
}

TEST(FormatFloat, WithoutSeparatorsInTheLocaleTheThousandsAreDotted) {
    Separators s(0, 0);
    const char* before = std::getenv("LC_ALL");
    std::string saved = before ? before : "";
    setenv("LC_ALL", "C", 1);
    SetThousandSeparator(0);  // read again from the locale, which has none
    SetDecimalSeparator(0);
    EXPECT_EQ(ThousandSeparator(), '.');
    EXPECT_EQ(DecimalSeparator(), '.');  // the C locale's radix
    EXPECT_EQ(FormatFloat("##,###", 52000), "52.000");
    if (before) setenv("LC_ALL", saved.c_str(), 1);
    else unsetenv("LC_ALL");
}
