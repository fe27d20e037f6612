#include "Phonebook.h"

#include "Hex.h"

#include "platform/LockedFile.h"
#include "platform/Machine.h"
#include "platform/RasApi.h"

#include <functional>
#include <sstream>

namespace {
const char* kFile = "phonebook.txt";

unsigned char fold(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    if (c == 0xFF) return 0x9F;
    return c;
}

std::vector<PhonebookEntry> parse(const std::string& text) {
    std::vector<PhonebookEntry> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto t1 = line.find('\t');
        auto t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string::npos) continue;
        PhonebookEntry e;
        e.name = Utf8ToAnsi(line.substr(0, t1));
        std::string size = line.substr(t1 + 1, t2 - t1 - 1);
        if (!FromHex(std::string_view(line).substr(t2 + 1), e.bytes)) continue;
        if (size != std::to_string(e.bytes.size()) || !ValidEntryName(e.name)) continue;
        out.push_back(std::move(e));
    }
    return out;
}

std::string format(const std::vector<PhonebookEntry>& entries) {
    std::string out;
    for (auto& e : entries)
        out += AnsiToUtf8(e.name) + "\t" + std::to_string(e.bytes.size()) + "\t" + ToHex(e.bytes) + "\n";
    return out;
}
}  // namespace

bool SameEntryName(const AnsiString& a, const AnsiString& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

bool ValidEntryName(const AnsiString& name) {
    if (name.empty() || name.size() > RAS_MaxEntryName || name[0] == '.') return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

std::vector<PhonebookEntry> ReadPhonebook() { return parse(ReadLockedFile(MachineFile(kFile))); }

bool FindPhonebookEntry(const AnsiString& name, PhonebookEntry& entry) {
    for (auto& e : ReadPhonebook())
        if (SameEntryName(e.name, name)) {
            entry = e;
            return true;
        }
    return false;
}

namespace {
// Reads the file under the exclusive lock and lets `change` edit the entries (false: nothing
// to write); the result replaces the file.
unsigned update(const std::function<bool(std::vector<PhonebookEntry>&)>& change) {
    LockedFile file(MachineFile(kFile), LockedFile::Exclusive);
    std::string text;
    if (file.Read(text) == FileRead::Refused) return ERROR_CANNOT_OPEN_PHONEBOOK;
    std::vector<PhonebookEntry> entries = parse(text);
    if (!change(entries)) return 0;
    return file.Replace(format(entries)) ? 0u : unsigned(ERROR_CANNOT_WRITE_PHONEBOOK);
}
}  // namespace

unsigned StorePhonebookEntry(const AnsiString& name, const std::string& bytes) {
    return update([&](std::vector<PhonebookEntry>& entries) {
        bool found = false;
        for (auto& e : entries)
            if (SameEntryName(e.name, name)) {
                e.bytes = bytes;
                found = true;
            }
        if (!found) entries.push_back({name, bytes});
        return true;
    });
}

unsigned DeletePhonebookEntry(const AnsiString& name) {
    bool found = false;
    unsigned rc = update([&](std::vector<PhonebookEntry>& entries) {
        found = std::erase_if(entries, [&](const PhonebookEntry& e) { return SameEntryName(e.name, name); }) > 0;
        return found;
    });
    if (rc == 0 && !found) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    return rc;
}
