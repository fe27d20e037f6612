#include "ElfFile.h"

#include <cstdlib>
#include <cstring>
#include <elf.h>
#include <fstream>
#include <string_view>

namespace {
std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

bool isElf(std::string_view bytes) {
    return bytes.size() >= sizeof(Elf64_Ehdr) && bytes.starts_with(
                                                     "\x7f"
                                                     "ELF");
}

template <class T>
T at(std::string_view bytes, std::size_t offset) {
    T value{};
    if (offset <= bytes.size() && sizeof value <= bytes.size() - offset)
        std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

std::vector<Elf64_Shdr> sections(std::string_view bytes) {
    auto eh = at<Elf64_Ehdr>(bytes, 0);
    std::vector<Elf64_Shdr> out;
    for (int i = 0; i < eh.e_shnum; ++i) out.push_back(at<Elf64_Shdr>(bytes, eh.e_shoff + i * eh.e_shentsize));
    return out;
}

std::string text(std::string_view bytes, std::size_t offset) {
    if (offset >= bytes.size()) return {};
    std::string_view rest = bytes.substr(offset);
    return std::string(rest.substr(0, rest.find('\0')));
}

// The names of the symbols of one kind of table (SHT_DYNSYM, SHT_SYMTAB) that `take` accepts.
template <class Take>
void symbols(std::string_view object, unsigned type, Take take, std::set<std::string>& out) {
    auto all = sections(object);
    for (auto& sh : all) {
        if (sh.sh_type != type || sh.sh_link >= all.size()) continue;
        for (std::size_t off = sizeof(Elf64_Sym); off + sizeof(Elf64_Sym) <= sh.sh_size; off += sizeof(Elf64_Sym)) {
            auto sym = at<Elf64_Sym>(object, sh.sh_offset + off);
            if (sym.st_shndx != SHN_UNDEF && take(ELF64_ST_BIND(sym.st_info)))
                out.insert(text(object, all[sh.sh_link].sh_offset + sym.st_name));
        }
    }
}
}  // namespace

std::vector<std::string> NeededLibraries(const std::string& path) {
    std::string bytes = readAll(path);
    if (!isElf(bytes)) return {"(not ELF)"};
    auto all = sections(bytes);
    std::vector<std::string> out;
    for (auto& sh : all) {
        if (sh.sh_type != SHT_DYNAMIC || sh.sh_link >= all.size()) continue;
        for (std::size_t off = 0; off + sizeof(Elf64_Dyn) <= sh.sh_size; off += sizeof(Elf64_Dyn)) {
            auto d = at<Elf64_Dyn>(bytes, sh.sh_offset + off);
            if (d.d_tag == DT_NEEDED) out.push_back(text(bytes, all[sh.sh_link].sh_offset + d.d_un.d_val));
        }
    }
    return out;
}

std::set<std::string> ExportedSymbols(const std::string& path) {
    std::string bytes = readAll(path);
    std::set<std::string> out;
    if (isElf(bytes))
        symbols(
            bytes, SHT_DYNSYM, [](unsigned bind) { return bind != STB_LOCAL; }, out);
    return out;
}

std::set<std::string> ArchiveDefinitions(const std::string& path) {
    std::string file = readAll(path);
    std::string_view bytes = file;
    std::set<std::string> out;
    if (!bytes.starts_with("!<arch>\n")) return out;
    // Each member: a 60-byte header (its size in decimal at offset 48), then its bytes,
    // padded to an even length. The index ("/") and the long names ("//") are not objects.
    for (std::size_t member = 8; member + 60 <= bytes.size();) {
        std::size_t size = std::strtoull(std::string(bytes.substr(member + 48, 10)).c_str(), nullptr, 10);
        std::string_view object = bytes.substr(member + 60, size);
        member += 60 + size + (size & 1);
        if (isElf(object))
            symbols(
                object, SHT_SYMTAB, [](unsigned bind) { return bind == STB_GLOBAL; }, out);
    }
    return out;
}
