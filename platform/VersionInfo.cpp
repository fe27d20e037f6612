#include "VersionInfo.h"

#include "SysUtils.h"

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
constexpr const char* kSection = ".vyn_version";

class File {
public:
    explicit File(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File() {
        if (fd_ >= 0) close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    bool read(uint64_t offset, void* out, std::size_t n) const {
        auto* p = static_cast<char*>(out);
        while (n > 0) {
            ssize_t r = pread(fd_, p, n, static_cast<off_t>(offset));
            if (r <= 0) return false;
            p += r;
            offset += static_cast<uint64_t>(r);
            n -= static_cast<std::size_t>(r);
        }
        return true;
    }

private:
    int fd_;
};

struct Section {
    uint64_t offset = 0, size = 0;
};

// The section's place in a 32- or 64-bit little-endian ELF file.
template <typename Ehdr, typename Shdr>
bool findSection(const File& f, Section& out) {
    Ehdr eh;
    if (!f.read(0, &eh, sizeof eh) || eh.e_shentsize != sizeof(Shdr) || eh.e_shnum == 0 ||
        eh.e_shstrndx >= eh.e_shnum || eh.e_shnum > 4096)
        return false;
    std::vector<Shdr> sh(eh.e_shnum);
    if (!f.read(eh.e_shoff, sh.data(), sh.size() * sizeof(Shdr))) return false;
    const Shdr& names = sh[eh.e_shstrndx];
    if (names.sh_size > (1u << 20)) return false;
    std::string table(names.sh_size, '\0');
    if (!f.read(names.sh_offset, table.data(), table.size())) return false;
    for (const Shdr& s : sh) {
        if (s.sh_name >= table.size() || s.sh_type != SHT_PROGBITS) continue;
        if (std::strcmp(table.c_str() + s.sh_name, kSection) != 0) continue;
        out = {s.sh_offset, s.sh_size};
        return true;
    }
    return false;
}

uint32_t get32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// The block of the file: its section, checked for the magic and a size that fits.
bool readBlock(const AnsiString& fileName, std::vector<unsigned char>& block) {
    File f(NativePath(fileName));
    unsigned char ident[EI_NIDENT];
    if (!f.ok() || !f.read(0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0 ||
        ident[EI_DATA] != ELFDATA2LSB)
        return false;
    Section s;
    bool found = ident[EI_CLASS] == ELFCLASS64   ? findSection<Elf64_Ehdr, Elf64_Shdr>(f, s)
                 : ident[EI_CLASS] == ELFCLASS32 ? findSection<Elf32_Ehdr, Elf32_Shdr>(f, s)
                                                 : false;
    if (!found || s.size < vyn_version::kHeaderSize) return false;
    unsigned char header[vyn_version::kHeaderSize];
    if (!f.read(s.offset, header, sizeof header) || std::memcmp(header, vyn_version::kMagic, 8) != 0) return false;
    uint32_t total = get32(header + 8);
    if (total < vyn_version::kHeaderSize || total > s.size) return false;
    block.resize(total);
    return f.read(s.offset, block.data(), total);
}

}  // namespace

unsigned GetFileVersionInfoSizeA(const AnsiString& fileName, unsigned* handle) {
    if (handle) *handle = 0;
    std::vector<unsigned char> block;
    return readBlock(fileName, block) ? static_cast<unsigned>(block.size()) : 0;
}

bool GetFileVersionInfoA(const AnsiString& fileName, unsigned, unsigned length, void* data) {
    std::vector<unsigned char> block;
    if (!data || length == 0 || !readBlock(fileName, block)) return false;
    std::size_t n = std::min<std::size_t>(length, block.size());
    std::memcpy(data, block.data(), n);
    // A short copy keeps a consistent header: entries past the end are not walked.
    if (n >= vyn_version::kHeaderSize && n < block.size()) {
        auto* p = static_cast<unsigned char*>(data) + 8;
        p[0] = n & 0xFF;
        p[1] = (n >> 8) & 0xFF;
        p[2] = (n >> 16) & 0xFF;
        p[3] = (n >> 24) & 0xFF;
    }
    return true;
}

bool VerQueryValueA(const void* blockData, const AnsiString& subBlock, void** buffer, unsigned* length) {
    auto* b = static_cast<const unsigned char*>(blockData);
    if (!b || std::memcmp(b, vyn_version::kMagic, 8) != 0) return false;
    uint32_t total = get32(b + 8), count = get32(b + 12);
    std::size_t at = vyn_version::kHeaderSize;
    for (uint32_t i = 0; i < count && at + 4 <= total; ++i) {
        std::size_t keyLen = get16(b + at), valueLen = get16(b + at + 2);
        std::size_t key = at + 4, value = key + vyn_version::Pad4(keyLen);
        std::size_t next = value + vyn_version::Pad4(valueLen);
        if (keyLen == 0 || next > total) return false;
        if (SameText(std::string_view(reinterpret_cast<const char*>(b + key), keyLen - 1), subBlock)) {
            if (buffer) *buffer = const_cast<unsigned char*>(b + value);
            if (length) *length = static_cast<unsigned>(valueLen);
            return true;
        }
        at = next;
    }
    return false;
}
