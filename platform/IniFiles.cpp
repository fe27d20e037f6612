#include "IniFiles.h"

#include "LockedFile.h"

#include <functional>
#include <vector>

struct IniLine {
    enum Kind { Other, Section, Key } kind = Other;
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n" or "" (last line without one)
    AnsiString name;   // section or key name, trimmed
    AnsiString value;  // key value, trimmed
};

namespace {
using Line = IniLine;

// The profile functions hand back at most this many characters (the wrapper's buffer).
constexpr std::size_t kMaxValue = 2047;

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

// Whether `text` would end its line: a line break, or NUL (which ends the text for the
// profile functions).
bool breaksLine(const AnsiString& text) { return text.find_first_of(std::string("\r\n\0", 3)) != AnsiString::npos; }

std::string readText(const AnsiString& fileName) {
    std::string data;
    ReadFileContents(NativePath(fileName), data);  // a file that cannot be read reads as missing
    return data;
}
}  // namespace

TIniBatch::TIniBatch(const AnsiString& fileName, const std::string& text)
    : fileName_(fileName), lines_(parse(text)) {}

TIniBatch::~TIniBatch() = default;

std::string TIniBatch::Text() const { return join(lines_); }

AnsiString TIniBatch::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) const {
    std::size_t k = findKey(lines_, findSection(lines_, section), ident);
    AnsiString v = k == std::string::npos ? def : unquote(lines_[k].value);
    if (v.size() > kMaxValue) v.resize(kMaxValue);
    return v;
}

int TIniBatch::ReadInteger(const AnsiString& section, const AnsiString& ident, int def) const {
    AnsiString s = ReadString(section, ident, "");
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
    return static_cast<int>(StrToIntDef(s, def));
}

bool TIniBatch::ReadBool(const AnsiString& section, const AnsiString& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniBatch::ReadSection(const AnsiString& section, TStrings& idents) const {
    idents.Clear();
    Span s = findSection(lines_, section);
    if (!s.found()) return;
    for (std::size_t i = s.first; i < s.last; ++i)
        if (lines_[i].kind == Line::Key) idents.Add(lines_[i].name);
}

void TIniBatch::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
    if (breaksLine(section) || breaksLine(ident) || breaksLine(value))
        throw EIniFileException("Unable to write to " + fileName_ + ": a line break in [" + section + "] " + ident);
    std::vector<Line>& lines = lines_;
    Span s = findSection(lines, section);
    std::size_t k = findKey(lines, s, ident);
    if (k != std::string::npos) {
        if (lines[k].value == value) return;  // the profile functions skip such writes
        lines[k].text = lines[k].name + "=" + value;
        lines[k].value = trimBlanks(value);
        changed_ = true;
        return;
    }
    changed_ = true;
    if (!s.found()) {
        if (!lines.empty() && lines.back().end.empty()) lines.back().end = "\r\n";
        lines.push_back(newLine("[" + section + "]"));
        lines.push_back(newLine(ident + "=" + value));
        return;
    }
    std::size_t after = s.header;
    for (std::size_t i = s.first; i < s.last; ++i)
        if (!trimBlanks(lines[i].text).empty()) after = i;
    if (lines[after].end.empty()) lines[after].end = "\r\n";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after + 1), newLine(ident + "=" + value));
}

void TIniBatch::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
    WriteString(section, ident, IntToStr(value));
}

void TIniBatch::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TIniBatch::EraseSection(const AnsiString& section) {
    Span s = findSection(lines_, section);
    if (!s.found()) return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(s.header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(s.last));
    changed_ = true;
}

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& def) const {
    return TIniBatch(fileName_, readText(fileName_)).ReadString(section, ident, def);
}

int TIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int def) const {
    return TIniBatch(fileName_, readText(fileName_)).ReadInteger(section, ident, def);
}

bool TIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool def) const {
    return TIniBatch(fileName_, readText(fileName_)).ReadBool(section, ident, def);
}

void TIniFile::ReadSection(const AnsiString& section, TStrings& idents) const {
    TIniBatch(fileName_, readText(fileName_)).ReadSection(section, idents);
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
    Update([&](TIniBatch& b) { b.WriteString(section, ident, value); });
}

void TIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
    Update([&](TIniBatch& b) { b.WriteInteger(section, ident, value); });
}

void TIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
    Update([&](TIniBatch& b) { b.WriteBool(section, ident, value); });
}

void TIniFile::EraseSection(const AnsiString& section) {
    Update([&](TIniBatch& b) { b.EraseSection(section); });
}

void TIniFile::Update(const std::function<void(TIniBatch&)>& changes) {
    LockedFile file(NativePath(fileName_), LockedFile::Exclusive);
    std::string text;
    if (file.Read(text) == FileRead::Refused)
        throw EIniFileException("Unable to write to " + fileName_ + ": the file cannot be read");
    TIniBatch batch(fileName_, text);
    changes(batch);
    if (batch.changed_ && !file.Replace(batch.Text())) throw EIniFileException("Unable to write to " + fileName_);
}
