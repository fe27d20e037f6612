#include "AutodialTable.h"

#include "Phonebook.h"

#include "platform/LockedFile.h"
#include "platform/Machine.h"

#include <sstream>

namespace {
const char* kFile = "autodial.txt";

struct Line {
    AnsiString address;
    AutodialRecord record;
};

bool number(const std::string& s, uint32_t& out) {
    if (s.empty() || s.size() > 10 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    unsigned long long v = std::stoull(s);
    if (v > 0xFFFFFFFFull) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

std::vector<Line> parse(const std::string& text) {
    std::vector<Line> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f;
        std::size_t start = 0;
        for (int i = 0; i < 3; ++i) {
            auto tab = line.find('\t', start);
            if (tab == std::string::npos) break;
            f.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        if (f.size() != 3) continue;
        Line l;
        l.address = Utf8ToAnsi(f[0]);
        if (!number(f[1], l.record.location) || !number(f[2], l.record.flags)) continue;
        l.record.entry = Utf8ToAnsi(line.substr(start));
        out.push_back(std::move(l));
    }
    return out;
}

std::string format(const std::vector<Line>& lines) {
    std::string out;
    for (auto& l : lines)
        out += AnsiToUtf8(l.address) + "\t" + std::to_string(l.record.location) + "\t" +
               std::to_string(l.record.flags) + "\t" + AnsiToUtf8(l.record.entry) + "\n";
    return out;
}
}  // namespace

bool ReadAutodialAddress(const AnsiString& address, std::vector<AutodialRecord>& records) {
    records.clear();
    bool found = false;
    for (auto& l : parse(ReadLockedFile(MachineFile(kFile))))
        if (SameEntryName(l.address, address)) {
            records.push_back(l.record);
            found = true;
        }
    return found;
}

bool SetAutodialAddress(const AnsiString& address, const std::vector<AutodialRecord>& records) {
    return UpdateLockedFile(MachineFile(kFile), [&](std::string& text) {
        auto lines = parse(text);
        for (auto& r : records) {
            bool replaced = false;
            for (auto& l : lines)
                if (SameEntryName(l.address, address) && l.record.location == r.location) {
                    l.record = r;
                    replaced = true;
                }
            if (!replaced) {
                // After the address's last record, so an address's records stay together.
                auto at = lines.end();
                for (auto it = lines.begin(); it != lines.end(); ++it)
                    if (SameEntryName(it->address, address)) at = it + 1;
                lines.insert(at, Line{address, r});
            }
        }
        text = format(lines);
        return true;
    });
}

bool DeleteAutodialAddress(const AnsiString& address, bool& found) {
    found = false;
    return UpdateLockedFile(MachineFile(kFile), [&](std::string& text) {
        auto lines = parse(text);
        found = std::erase_if(lines, [&](const Line& l) { return SameEntryName(l.address, address); }) > 0;
        if (!found) return false;
        text = format(lines);
        return true;
    });
}
