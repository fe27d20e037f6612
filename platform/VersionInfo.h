#pragma once
// Version resources. The build gives each program file a version block (cmake:
// vyn_version_block) in its section ".vyn_version"; these functions read it back from the
// file at a given path, as the platform's version API reads a program's resource. A file
// without the section (or not an ELF file) has none: its size is 0.
//
// Block layout (little-endian):
//   "VYNVERS" NUL            8 bytes
//   uint32 total size        of the whole block, header included
//   uint32 entry count
//   entries: uint16 key length (with its NUL), uint16 value length, the key and its NUL
//            padded to 4 bytes, the value padded to 4 bytes.
// Keys are the platform's query paths ("\VarFileInfo\Translation",
// "\StringFileInfo\041604e4\FileVersion"); a translation is one uint32, language in the low
// 16 bits and code page in the high; a string value ends with its NUL.
#include "AnsiString.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

unsigned GetFileVersionInfoSizeA(const AnsiString& fileName, unsigned* handle);
bool GetFileVersionInfoA(const AnsiString& fileName, unsigned handle, unsigned length, void* data);
// Points `buffer` into `block` at the value of `subBlock` (compared without regard to case).
bool VerQueryValueA(const void* block, const AnsiString& subBlock, void** buffer, unsigned* length);

namespace vyn_version {
inline constexpr char kMagic[8] = {'V', 'Y', 'N', 'V', 'E', 'R', 'S', '\0'};
inline constexpr std::size_t kHeaderSize = 16;

struct Entry {
    std::string_view key;
    std::string_view text;  // a string value (its NUL is added)
    uint32_t number = 0;    // used when text is empty: a translation
    bool isNumber = false;
};

constexpr Entry Translation(uint16_t language, uint16_t codePage) {
    return {"\\VarFileInfo\\Translation", {}, static_cast<uint32_t>(language) | (uint32_t{codePage} << 16), true};
}

constexpr std::size_t Pad4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }
constexpr std::size_t ValueSize(const Entry& e) { return e.isNumber ? 4 : e.text.size() + 1; }
constexpr std::size_t BlockSize(std::span<const Entry> entries) {
    std::size_t n = kHeaderSize;
    for (const auto& e : entries) n += 4 + Pad4(e.key.size() + 1) + Pad4(ValueSize(e));
    return n;
}

template <std::size_t N>
constexpr std::array<unsigned char, N> MakeBlock(std::span<const Entry> entries) {
    std::array<unsigned char, N> b{};
    std::size_t at = 0;
    auto put16 = [&](std::size_t v) {
        b[at++] = v & 0xFF;
        b[at++] = (v >> 8) & 0xFF;
    };
    auto put32 = [&](std::size_t v) {
        put16(v & 0xFFFF);
        put16((v >> 16) & 0xFFFF);
    };
    for (char c : kMagic) b[at++] = static_cast<unsigned char>(c);
    put32(N);
    put32(entries.size());
    for (const auto& e : entries) {
        put16(e.key.size() + 1);
        put16(ValueSize(e));
        std::size_t start = at;
        for (char c : e.key) b[at++] = static_cast<unsigned char>(c);
        at = start + Pad4(e.key.size() + 1);
        start = at;
        if (e.isNumber) put32(e.number);
        else
            for (char c : e.text) b[at++] = static_cast<unsigned char>(c);
        at = start + Pad4(ValueSize(e));
    }
    return b;
}
}  // namespace vyn_version
