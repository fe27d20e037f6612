#pragma once
// The pictures the programs carry are device-independent bitmaps. Their plain kinds are read
// here straight into 32-bit pixels, without the window system's image readers (which look
// through every image plugin installed before they read one).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

// Uncompressed (BI_RGB) bitmaps of 1, 4, 8, 24 or 32 bits per pixel, bottom-up or top-down,
// with the 40-byte header or a later one. `pixels(width, height)` gives room for the rows,
// top first, each `width` values 0xAARRGGBB; alpha is always 0xFF (the 32-bit kind's fourth
// byte is not alpha). False, with nothing asked, for anything else or a file cut short.
bool DecodeBmp(std::string_view file, const std::function<std::uint32_t*(int width, int height)>& pixels);

// Where the rows of a 24-bit uncompressed top-down bitmap lie in `file`: they can be drawn
// where they are, blue first, with no copy made. None for any other kind or a file cut short.
struct BmpRows {
    std::size_t offset;  // of the top row
    int width, height;
    std::size_t stride;  // bytes from one row to the next
};
std::optional<BmpRows> TopDownTrueColourRows(std::string_view file);
