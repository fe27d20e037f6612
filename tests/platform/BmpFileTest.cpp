#include "platform/BmpFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
void put(std::string& s, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

// A bitmap file with the 40-byte header; `rows` are the stored rows in file order, each
// padded here to four bytes.
std::string bmp(int bits, int width, int height, const std::vector<std::uint32_t>& palette,
                const std::vector<std::string>& rows, std::uint32_t compression = 0) {
    std::string s(54 + palette.size() * 4, '\0');
    s[0] = 'B', s[1] = 'M';
    put(s, 10, static_cast<std::uint32_t>(s.size()), 4);
    put(s, 14, 40, 4);
    put(s, 18, static_cast<std::uint32_t>(width), 4);
    put(s, 22, static_cast<std::uint32_t>(height), 4);
    put(s, 26, 1, 2);
    put(s, 28, static_cast<std::uint32_t>(bits), 2);
    put(s, 30, compression, 4);
    put(s, 46, static_cast<std::uint32_t>(palette.size()), 4);
    for (std::size_t i = 0; i < palette.size(); ++i) put(s, 54 + i * 4, palette[i], 4);
    for (std::string r : rows) s += r.append((4 - r.size() % 4) % 4, '\0');
    return s;
}

// The pixels decoded, top row first; empty when the file was refused.
std::vector<std::uint32_t> decode(const std::string& file, int* width = nullptr) {
    std::vector<std::uint32_t> out;
    bool ok = DecodeBmp(file, [&](int w, int h) {
        if (width) *width = w;
        out.assign(static_cast<std::size_t>(w) * h, 0);
        return out.data();
    });
    if (!ok) out.clear();
    return out;
}

std::string b(std::initializer_list<int> v) { return std::string(v.begin(), v.end()); }

const std::uint32_t R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, K = 0xFF000000;
const std::vector<std::uint32_t> kBlackWhite = {0x000000, 0xFFFFFF};
const std::vector<std::uint32_t> kFour = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};  // 0x00RRGGBB
}  // namespace

TEST(BmpFile, PlainKindsDecodeTopRowFirst) {
    struct {
        const char* what;
        std::string file;
        int width;
        std::vector<std::uint32_t> pixels;
    } cases[] = {
        // Bottom-up (a positive height): the file's last row is the top one. Blue, green, red.
        {"24 bits", bmp(24, 2, 2, {}, {b({0, 0, 255, 0, 255, 0}), b({255, 0, 0, 255, 255, 255})}), 2, {B, W, R, G}},
        // The fourth byte is no alpha: 0 there still gives an opaque pixel.
        {"32 bits top-down", bmp(32, 1, -2, {}, {b({0, 0, 255, 0}), b({255, 0, 0, 7})}), 1, {R, B}},
        {"8 bits", bmp(8, 3, 1, kFour, {b({3, 1, 0})}), 3, {B, R, K}},
        {"4 bits, odd width", bmp(4, 3, 1, kFour, {b({0x21, 0x30})}), 3, {G, R, B}},
        {"1 bit across a byte", bmp(1, 10, 1, kBlackWhite, {b({0xA5, 0x80})}), 10, {W, K, W, K, K, W, K, W, W, K}},
    };
    for (const auto& c : cases) {
        int width = 0;
        EXPECT_EQ(decode(c.file, &width), c.pixels) << c.what;
        EXPECT_EQ(width, c.width) << c.what;
    }
}

TEST(BmpFile, AnythingElseIsLeftToTheImageReaders) {
    std::string good = bmp(24, 1, 1, {}, {b({1, 2, 3})});
    auto with = [&](std::size_t at, std::uint32_t v, int bytes) {
        std::string s = good;
        put(s, at, v, bytes);
        return s;
    };
    struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"a PNG", "\x89PNG\r\n\x1a\n" + std::string(60, '\0')},
        {"run-length compressed", bmp(8, 1, 1, kFour, {b({1})}, 1)},
        {"bit fields", with(30, 3, 4)},
        {"16 bits", with(28, 16, 2)},
        {"two planes", with(26, 2, 2)},
        {"no width", with(18, 0, 4)},
        {"rows cut short", good.substr(0, good.size() - 2)},
        {"pixels beyond the file", with(10, 1000, 4)},
        {"a header longer than the file", with(14, 4000, 4)},
        {"a palette larger than the bits allow",
         [] {
             std::string s = bmp(8, 1, 1, kFour, {b({1})});
             put(s, 46, 300, 4);
             return s;
         }()},
        {"an index past a short palette", bmp(8, 2, 1, kBlackWhite, {b({1, 2})})},
        {"header only", good.substr(0, 54)},
    };
    for (const auto& c : cases) {
        bool asked = false;
        std::uint32_t room[64];
        EXPECT_FALSE(DecodeBmp(c.file, [&](int, int) {
            asked = true;
            return room;
        })) << c.what;
        EXPECT_FALSE(asked) << c.what;
    }
    EXPECT_EQ(decode(good), std::vector<std::uint32_t>{0xFF030201});
}

TEST(BmpFile, OnlyTopDownTrueColourRowsAreUsedInPlace) {
    // Two rows of 2 pixels: 6 bytes each, padded to 8.
    std::string topDown = bmp(24, 2, -2, {}, {b({1, 2, 3, 4, 5, 6}), b({7, 8, 9, 10, 11, 12})});
    std::optional<BmpRows> rows = TopDownTrueColourRows(topDown);
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->width, 2);
    EXPECT_EQ(rows->height, 2);
    EXPECT_EQ(rows->stride, 8u);
    EXPECT_EQ(topDown.substr(rows->offset + rows->stride, 6), b({7, 8, 9, 10, 11, 12}));
    struct {
        const char* what;
        std::string file;
    } refused[] = {
        {"bottom-up", bmp(24, 2, 2, {}, {b({1, 2, 3, 4, 5, 6}), b({7, 8, 9, 10, 11, 12})})},
        {"32 bits", bmp(32, 1, -1, {}, {b({1, 2, 3, 4})})},
        {"8 bits", bmp(8, 3, -1, kFour, {b({3, 1, 0})})},
        {"compressed", bmp(24, 1, -1, {}, {b({1, 2, 3})}, 1)},
        {"cut short", topDown.substr(0, topDown.size() - 1)},
    };
    for (const auto& c : refused) EXPECT_FALSE(TopDownTrueColourRows(c.file)) << c.what;
}
