#include "BmpFile.h"

#include <cstddef>
#include <vector>

namespace {
constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kBiRgb = 0;
constexpr int kMaxSide = 1 << 15;

std::uint32_t u32(std::string_view s, std::size_t at) {
    auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + i])); };
    return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}
std::uint16_t u16(std::string_view s, std::size_t at) { return static_cast<std::uint16_t>(u32(s, at) & 0xFFFF); }

std::uint32_t rgb(unsigned char b, unsigned char g, unsigned char r) {
    return 0xFF000000u | static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | b;
}
}  // namespace

bool DecodeBmp(std::string_view file, const std::function<std::uint32_t*(int, int)>& pixels) {
    if (file.size() < kFileHeader + 40 || file.substr(0, 2) != "BM") return false;
    std::uint32_t dataAt = u32(file, 10);
    std::uint32_t headerSize = u32(file, kFileHeader);
    if (headerSize < 40 || kFileHeader + headerSize > file.size()) return false;
    auto width = static_cast<std::int32_t>(u32(file, kFileHeader + 4));
    auto height = static_cast<std::int32_t>(u32(file, kFileHeader + 8));
    int bits = u16(file, kFileHeader + 14);
    std::uint32_t compression = u32(file, kFileHeader + 16);
    std::uint32_t colours = u32(file, kFileHeader + 32);
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (u16(file, kFileHeader + 12) != 1 || compression != kBiRgb || width <= 0 || height <= 0 || width > kMaxSide ||
        height > kMaxSide)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;

    std::vector<std::uint32_t> palette;
    if (bits <= 8) {
        std::size_t most = std::size_t{1} << bits;
        std::size_t n = colours == 0 ? most : colours;
        std::size_t at = kFileHeader + headerSize;
        if (n > most || at + n * 4 > file.size()) return false;
        for (std::size_t i = 0; i < n; ++i)
            palette.push_back(rgb(static_cast<unsigned char>(file[at + i * 4]),
                                  static_cast<unsigned char>(file[at + i * 4 + 1]),
                                  static_cast<unsigned char>(file[at + i * 4 + 2])));
    }
    std::size_t stride = (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
    if (dataAt > file.size() || stride * static_cast<std::size_t>(height) > file.size() - dataAt) return false;
    // Every palette index must name a colour before any room is asked for.
    if (bits <= 8 && palette.size() < (std::size_t{1} << bits)) {
        for (std::int32_t y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const unsigned char*>(file.data()) + dataAt +
                              stride * static_cast<std::size_t>(y);
            for (std::int32_t x = 0; x < width; ++x) {
                int shift = 8 - bits - (x * bits) % 8;
                unsigned index = (row[x * bits / 8] >> shift) & ((1u << bits) - 1);
                if (index >= palette.size()) return false;
            }
        }
    }

    std::uint32_t* out = pixels(width, height);
    if (!out) return false;
    for (std::int32_t y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(file.data()) + dataAt +
                          stride * static_cast<std::size_t>(y);
        std::uint32_t* line = out + static_cast<std::size_t>(topDown ? y : height - 1 - y) *
                                        static_cast<std::size_t>(width);
        if (bits == 24) {
            for (std::int32_t x = 0; x < width; ++x, row += 3) line[x] = rgb(row[0], row[1], row[2]);
        } else if (bits == 32) {
            for (std::int32_t x = 0; x < width; ++x, row += 4) line[x] = rgb(row[0], row[1], row[2]);
        } else {
            for (std::int32_t x = 0; x < width; ++x) {
                int shift = 8 - bits - (x * bits) % 8;
                line[x] = palette[(row[x * bits / 8] >> shift) & ((1u << bits) - 1)];
            }
        }
    }
    return true;
}

std::optional<BmpRows> TopDownTrueColourRows(std::string_view file) {
    if (file.size() < kFileHeader + 40 || file.substr(0, 2) != "BM") return std::nullopt;
    std::uint32_t dataAt = u32(file, 10);
    std::uint32_t headerSize = u32(file, kFileHeader);
    auto width = static_cast<std::int32_t>(u32(file, kFileHeader + 4));
    auto height = static_cast<std::int32_t>(u32(file, kFileHeader + 8));
    if (headerSize < 40 || u16(file, kFileHeader + 12) != 1 || u16(file, kFileHeader + 14) != 24 ||
        u32(file, kFileHeader + 16) != kBiRgb || width <= 0 || width > kMaxSide || height >= 0 || height < -kMaxSide)
        return std::nullopt;
    std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::size_t rows = static_cast<std::size_t>(-height);
    if (dataAt > file.size() || stride * rows > file.size() - dataAt) return std::nullopt;
    return BmpRows{dataAt, width, -height, stride};
}
