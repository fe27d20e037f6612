#include "RegistrySeed.h"

#include "platform/SysUtils.h"

#include <cctype>
#include <cstdio>

namespace {

struct TypeName {
    DWORD type;
    const char* name;
};
constexpr TypeName kTypeNames[] = {
    {REG_NONE, "REG_NONE"},     {REG_SZ, "REG_SZ"},       {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"}, {REG_DWORD, "REG_DWORD"}, {REG_MULTI_SZ, "REG_MULTI_SZ"},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Bytes that would be invisible or ambiguous in the text are written as \xHH.
bool NeedsEscape(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

class LineParser {
public:
    LineParser(std::string_view line, int number) : s_(line), line_(number) {}

    [[noreturn]] void Fail(const std::string& what) const {
        throw Exception("Registry seed, line " + std::to_string(line_) + ": " + what);
    }
    void SkipBlanks() {
        while (p_ < s_.size() && IsBlank(s_[p_])) ++p_;
    }
    bool AtEnd() {
        SkipBlanks();
        return p_ == s_.size();
    }
    bool Accept(char c) {
        SkipBlanks();
        if (p_ < s_.size() && s_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    bool AcceptWord(std::string_view w) {
        SkipBlanks();
        if (s_.size() - p_ < w.size()) return false;
        for (std::size_t i = 0; i < w.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(s_[p_ + i])) != w[i]) return false;
        p_ += w.size();
        return true;
    }
    std::size_t Position() const { return p_; }
    bool Peek(char c) {
        SkipBlanks();
        return p_ < s_.size() && s_[p_] == c;
    }

    AnsiString Quoted() {
        if (!Accept('"')) Fail("a quoted text was expected");
        AnsiString out;
        std::string run;  // UTF-8 between escapes
        auto flush = [&] {
            out += Utf8ToAnsi(run);
            run.clear();
        };
        while (true) {
            if (p_ >= s_.size()) Fail("the quoted text is not closed");
            char c = s_[p_++];
            if (c == '"') break;
            if (c != '\\') {
                run += c;
                continue;
            }
            if (p_ >= s_.size()) Fail("the quoted text is not closed");
            char e = s_[p_++];
            if (e == '\\' || e == '"') {
                run += e;
                continue;
            }
            if (e == 'x' && p_ + 1 < s_.size() && HexDigit(s_[p_]) >= 0 && HexDigit(s_[p_ + 1]) >= 0) {
                flush();
                out += static_cast<char>(HexDigit(s_[p_]) * 16 + HexDigit(s_[p_ + 1]));
                p_ += 2;
                continue;
            }
            Fail(std::string("unknown escape \\") + e);
        }
        flush();
        return out;
    }

    std::string Word() {
        SkipBlanks();
        std::size_t start = p_;
        while (p_ < s_.size() && !IsBlank(s_[p_]) && s_[p_] != '"' && s_[p_] != ',') ++p_;
        return std::string(s_.substr(start, p_ - start));
    }

    std::string HexBytes() {
        std::string out;
        while (!AtEnd()) {
            if (Accept(',')) continue;
            std::string w = Word();
            if (w.size() != 2 || HexDigit(w[0]) < 0 || HexDigit(w[1]) < 0) Fail("\"" + w + "\" is not a hex byte");
            out += static_cast<char>(HexDigit(w[0]) * 16 + HexDigit(w[1]));
        }
        return out;
    }

private:
    std::string_view s_;
    std::size_t p_ = 0;
    int line_;
};

// Decimal (a sign allowed) or 0x hexadecimal, from -2^31 to 2^32-1.
bool ParseNumber(const std::string& w, long long& out) {
    std::size_t i = 0;
    bool neg = !w.empty() && w[0] == '-';
    if (neg) ++i;
    int base = 10;
    if (w.size() > i + 1 && w[i] == '0' && (w[i + 1] == 'x' || w[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= w.size()) return false;
    long long v = 0;
    for (; i < w.size(); ++i) {
        int d = HexDigit(w[i]);
        if (d < 0 || d >= base) return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFLL) return false;
    }
    out = neg ? -v : v;
    return out >= -2147483648LL;
}

DWORD ParseType(LineParser& lp) {
    std::string w = lp.Word();
    for (const auto& t : kTypeNames)
        if (UpperCase(w) == t.name) return t.type;
    long long n;
    if (!w.empty() && w.find_first_not_of("0123456789") == std::string::npos && ParseNumber(w, n))
        return static_cast<DWORD>(n);
    lp.Fail("unknown value type \"" + w + "\"");
}

std::string DwordBytes(DWORD v) {
    std::string b(4, '\0');
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
}

std::string ParseData(LineParser& lp, DWORD type) {
    if (lp.AtEnd()) return {};
    if (lp.AcceptWord("hex:")) return lp.HexBytes();
    std::string data;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        data = lp.Quoted();
        data += '\0';
        break;
    case REG_MULTI_SZ:
        do {
            data += lp.Quoted();
            data += '\0';
        } while (lp.Accept(',') || lp.Peek('"'));
        data += '\0';
        break;
    case REG_DWORD: {
        std::string w = lp.Word();
        long long n;
        if (!ParseNumber(w, n)) lp.Fail("\"" + w + "\" is not a 32-bit number");
        data = DwordBytes(static_cast<DWORD>(n));
        break;
    }
    default: return lp.HexBytes();
    }
    if (!lp.AtEnd()) lp.Fail("unexpected text after the value");
    return data;
}

void ParseKeyLine(const std::string& line, int number, RegTree& tree, RegKey*& current) {
    LineParser lp(line, number);
    std::size_t close = line.rfind(']');
    if (close == std::string::npos || close + 1 != line.size()) lp.Fail("a key line ends with \"]\"");
    AnsiString path = Utf8ToAnsi(std::string_view(line).substr(1, close - 1));
    std::size_t slash = path.find('\\');
    RegRoot root;
    if (!RegRootFromName(path.substr(0, slash), root))
        lp.Fail("unknown root \"" + AnsiToUtf8(path.substr(0, slash)) + "\"");
    std::vector<AnsiString> names;
    if (slash != std::string::npos && (slash + 1 == path.size() || !SplitRegPath(path.substr(slash + 1), names)))
        lp.Fail("empty key name in \"" + AnsiToUtf8(path) + "\"");
    for (const auto& n : names) {
        for (unsigned char c : n)
            if (c < 0x20) lp.Fail("control character in a key name");
        if (n.size() > kMaxRegKeyName) lp.Fail("a key name longer than 255 characters");
    }
    if (names.size() > kMaxRegDepth) lp.Fail("a key deeper than 512 levels");
    current = &tree.Create(root, names);
}

void ParseValueLine(const std::string& line, int number, RegKey* current) {
    LineParser lp(line, number);
    if (!current) lp.Fail("a value before any key");
    AnsiString name;
    if (!lp.Accept('@')) name = lp.Quoted();
    if (!lp.Accept('=')) lp.Fail("\"=\" expected after the value name");
    DWORD type = ParseType(lp);
    std::string data = ParseData(lp, type);
    current->SetValue(name, type, std::move(data));
}

std::string TrimBlanks(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

// --- writing -----------------------------------------------------------------------------

std::string HexText(std::string_view data) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0) out += (i % 16 == 0) ? " \\\n    " : " ";
        std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char>(data[i]));
        out += buf;
    }
    return out;
}

// The readable form of the data when it reads back to the same bytes, else "hex:" bytes.
std::string DataText(const RegValue& v) {
    const std::string& d = v.data;
    if (d.empty()) return "hex:";
    switch (v.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        if (d.back() == '\0' && d.find('\0') == d.size() - 1) return QuoteRegText(d.substr(0, d.size() - 1));
        break;
    case REG_MULTI_SZ: {
        if (d.size() < 3 || d.substr(d.size() - 2) != std::string(2, '\0') || d[0] == '\0') break;
        std::string body = d.substr(0, d.size() - 1), out;
        if (body.find(std::string(2, '\0')) != std::string::npos) break;
        for (std::size_t start = 0; start < body.size();) {
            std::size_t end = body.find('\0', start);
            if (!out.empty()) out += ", ";
            out += QuoteRegText(body.substr(start, end - start));
            start = end + 1;
        }
        return out;
    }
    case REG_DWORD:
        if (d.size() == 4) {
            DWORD n = 0;
            for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(d[i]);
            char buf[16];
            std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(n));
            return buf;
        }
        break;
    default: return HexText(d);
    }
    return "hex: " + HexText(d);
}

std::string TypeText(DWORD type) {
    for (const auto& t : kTypeNames)
        if (t.type == type) return t.name;
    return std::to_string(type);
}

void FormatKey(const RegKey& key, const std::string& path, bool isRoot, std::string& out) {
    if (!key.Values().empty() || (!isRoot && key.SubkeyCount() == 0)) {
        if (!out.empty()) out += '\n';
        out += "[" + path + "]\n";
        for (const auto& v : key.Values())
            out += (v.name.empty() ? std::string("@") : QuoteRegText(v.name)) + " = " + TypeText(v.type) + " " +
                   DataText(v) + "\n";
    }
    for (std::size_t i = 0; i < key.SubkeyCount(); ++i)
        FormatKey(key.Subkey(i), path + "\\" + AnsiToUtf8(key.Subkey(i).Name()), false, out);
}

}  // namespace

std::string QuoteRegText(const AnsiString& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (NeedsEscape(c)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += AnsiToUtf8(std::string(1, static_cast<char>(c)));
        }
    }
    return out + "\"";
}

std::size_t UnquoteRegText(std::string_view s, AnsiString& out) {
    LineParser lp(s, 0);
    try {
        out = lp.Quoted();
    } catch (const Exception&) {
        return std::string_view::npos;
    }
    return lp.Position();
}

void ParseRegistrySeed(std::string_view text, RegTree& tree) {
    RegKey* current = nullptr;
    int number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) nl = text.size();
        std::string line = TrimBlanks(text.substr(pos, nl - pos));
        pos = nl + 1;
        int first = ++number;
        // A line ending in "\" goes on in the next one (long byte lists).
        while (!line.empty() && line.back() == '\\' && pos <= text.size()) {
            line.pop_back();
            nl = text.find('\n', pos);
            if (nl == std::string_view::npos) nl = text.size();
            line += " " + TrimBlanks(text.substr(pos, nl - pos));
            pos = nl + 1;
            ++number;
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') ParseKeyLine(line, first, tree, current);
        else ParseValueLine(line, first, current);
    }
}

std::string FormatRegistrySeed(const RegTree& tree) {
    std::string out;
    for (int i = 0; i < RegRootCount; ++i) {
        RegRoot r = static_cast<RegRoot>(i);
        FormatKey(tree.Root(r), RegRootName(r), true, out);
    }
    return out;
}
