#include "IniFiles.h"

#include "LockedFile.h"

#include <functional>
#include <vector>

namespace {
// The profile functions hand back at most this many characters (the wrapper's buffer).
constexpr std::size_t kMaxValue = 2047;

struct Line {
    enum Kind { Other, Section, Key } kind = Other;
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n" or "" (last line without one)
    AnsiString name;   // section or key name, trimmed
    AnsiString value;  // key value, trimmed
};

AnsiString trimBlanks(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    std::size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

void classify(Line& l) {
    AnsiString t = trimBlanks(l.text);
    if (t.empty() || t[0] == ';') return;
    if (t[0] == '[') {
        auto close = t.rfind(']');
        if (close != AnsiString::npos) {
            l.kind = Line::Section;
            l.name = trimBlanks(t.substr(1, close - 1));
            return;
        }
    }
    auto eq = t.find('=');
    if (eq == AnsiString::npos) return;
    l.kind = Line::Key;
    l.name = trimBlanks(t.substr(0, eq));
    l.value = trimBlanks(t.substr(eq + 1));
}

std::vector<Line> parse(const std::string& data) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < data.size()) {
        Line l;
        std::size_t nl = data.find('\n', pos);
        if (nl == std::string::npos) {
            l.text = data.substr(pos);
            pos = data.size();
        } else {
            std::size_t end = nl > pos && data[nl - 1] == '\r' ? nl - 1 : nl;
            l.text = data.substr(pos, end - pos);
            l.end = data.substr(end, nl + 1 - end);
            pos = nl + 1;
        }
        classify(l);
        lines.push_back(std::move(l));
    }
    return lines;
}

std::string join(const std::vector<Line>& lines) {
    std::string out;
    for (auto& l : lines) out += l.text + l.end;
    return out;
}

// A file that cannot be read reads as an empty one, as a missing file does.
std::vector<Line> readLines(const AnsiString& fileName) {
    std::string data;
    ReadFileContents(NativePath(fileName), data);
    return parse(data);
}

// [first, last) of a section's lines after its header; first == npos when missing.
struct Span {
    std::size_t header = std::string::npos, first = 0, last = 0;
    bool found() const { return header != std::string::npos; }
};

Span findSection(const std::vector<Line>& lines, const AnsiString& section) {
    Span s;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::Section || !AnsiSameText(lines[i].name, section)) continue;
        s.header = i;
        s.first = i + 1;
        s.last = s.first;
        while (s.last < lines.size() && lines[s.last].kind != Line::Section) ++s.last;
        break;
    }
    return s;
}

std::size_t findKey(const std::vector<Line>& lines, const Span& s, const AnsiString& ident) {
    if (!s.found()) return std::string::npos;
    for (std::size_t i = s.first; i < s.last; ++i)
        if (lines[i].kind == Line::Key && AnsiSameText(lines[i].name, ident)) return i;
    return std::string::npos;
}

AnsiString unquote(const AnsiString& v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
    return v;
}

Line newLine(std::string text) {
    Line l;
    l.text = std::move(text);
    l.end = "\r\n";
    classify(l);
    return l;
}

// Reads under the lock, lets `change` edit the lines (false: nothing to write) and replaces
// the file with the result.
void update(const AnsiString& fileName, const std::function<bool(std::vector<Line>&)>& change) {
    bool written = UpdateLockedFile(NativePath(fileName), [&](std::string& text) {
        std::vector<Line> lines = parse(text);
        if (!change(lines)) return false;
        text = join(lines);
        return true;
    });
    if (!written) throw EIniFileException("Unable to write to " + fileName);
}
} // namespace

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) const {
    std::vector<Line> lines = readLines(fileName_);
    std::size_t k = findKey(lines, findSection(lines, section), ident);
    AnsiString v = k == std::string::npos ? def : unquote(lines[k].value);
    if (v.size() > kMaxValue) v.resize(kMaxValue);
    return v;
}

int TIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int def) const {
    AnsiString s = ReadString(section, ident, "");
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
    return static_cast<int>(StrToIntDef(s, def));
}

bool TIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::ReadSection(const AnsiString& section, TStrings& idents) const {
    idents.Clear();
    std::vector<Line> lines = readLines(fileName_);
    Span s = findSection(lines, section);
    if (!s.found()) return;
    for (std::size_t i = s.first; i < s.last; ++i)
        if (lines[i].kind == Line::Key) idents.Add(lines[i].name);
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
    update(fileName_, [&](std::vector<Line>& lines) {
        Span s = findSection(lines, section);
        std::size_t k = findKey(lines, s, ident);
        if (k != std::string::npos) {
            if (lines[k].value == value) return false;  // the profile functions skip such writes
            lines[k].text = lines[k].name + "=" + value;
            lines[k].value = trimBlanks(value);
            return true;
        }
        if (!s.found()) {
            if (!lines.empty() && lines.back().end.empty()) lines.back().end = "\r\n";
            lines.push_back(newLine("[" + section + "]"));
            lines.push_back(newLine(ident + "=" + value));
            return true;
        }
        std::size_t after = s.header;
        for (std::size_t i = s.first; i < s.last; ++i)
            if (!trimBlanks(lines[i].text).empty()) after = i;
        if (lines[after].end.empty()) lines[after].end = "\r\n";
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after + 1), newLine(ident + "=" + value));
        return true;
    });
}

void TIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
    WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::EraseSection(const AnsiString& section) {
    update(fileName_, [&](std::vector<Line>& lines) {
        Span s = findSection(lines, section);
        if (!s.found()) return false;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(s.header),
                    lines.begin() + static_cast<std::ptrdiff_t>(s.last));
        return true;
    });
}
