#include "platform/Resources.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

namespace {
uint32_t le32(std::string_view b, std::size_t at) {
    return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t le16(std::string_view b, std::size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }
}  // namespace

TEST(Resources, FoundByNameWithTheirExactBytes) {
    struct {
        const char* name;
        std::size_t size;
    } cases[] = {
        {"TESTBYTES", 256},
        {"testbytes", 256},
        {"TestEmpty", 0},
    };
    for (auto& c : cases) {
        auto r = FindResource(c.name);
        ASSERT_TRUE(r.has_value()) << c.name;
        EXPECT_EQ(r->size(), c.size) << c.name;
    }
    EXPECT_TRUE(FindResource("snd1").has_value());
    auto bytes = *FindResource("TESTBYTES");
    for (int i = 0; i < 256; ++i) ASSERT_EQ(uint8_t(bytes[i]), i);
    for (const char* missing : {"SND2", "", "TESTBYTES ", "BMP1"}) EXPECT_FALSE(FindResource(missing)) << missing;
    EXPECT_EQ(ResourceNames(), (std::vector<AnsiString>{"SND1", "TESTBYTES", "TESTEMPTY"}));
}

TEST(Resources, TheFirstOfTwoByOneNameStays) {
    static const unsigned char other[] = {1, 2, 3};
    RegisterResource("testbytes", other, sizeof other);
    EXPECT_EQ(FindResource("TESTBYTES")->size(), 256u);
}

TEST(Resources, NewMailSoundIsAShortPcmWave) {
    std::string_view w = *FindResource("SND1");
    ASSERT_GE(w.size(), 44u);
    EXPECT_EQ(w.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(w, 4), w.size() - 8);
    EXPECT_EQ(w.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le16(w, 20), 1);  // PCM
    EXPECT_EQ(le16(w, 22), 1);  // mono
    const uint32_t rate = le32(w, 24);
    const uint16_t bits = le16(w, 34);
    EXPECT_TRUE(bits == 8 || bits == 16);
    EXPECT_EQ(le32(w, 28), rate * bits / 8);
    EXPECT_EQ(w.substr(36, 4), "data");
    const uint32_t dataSize = le32(w, 40);
    ASSERT_EQ(dataSize, w.size() - 44);
    const double seconds = double(dataSize) / (rate * bits / 8);
    EXPECT_GT(seconds, 0.2);
    EXPECT_LT(seconds, 1.0);
    // Audible, never clipped, and it starts and ends in silence (no clicks).
    std::vector<int> samples;
    for (std::size_t i = 44; i + 1 < w.size(); i += 2) samples.push_back(int16_t(le16(w, i)));
    if (bits == 8) {
        samples.clear();
        for (std::size_t i = 44; i < w.size(); ++i) samples.push_back((int(uint8_t(w[i])) - 128) * 256);
    }
    int peak = 0;
    for (int s : samples) peak = std::max(peak, std::abs(s));
    EXPECT_GT(peak, 8000);
    EXPECT_LT(peak, 32767);
    EXPECT_LT(std::abs(samples.front()), 500);
    EXPECT_LT(std::abs(samples.back()), 500);
}
