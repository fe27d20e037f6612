#include "MachineLog.h"

#include "LockedFile.h"
#include "Machine.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr char kDigits[] = "0123456789abcdef";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string backslashed(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

AnsiString unbackslashed(std::string_view s) {
    AnsiString out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        char c = s[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return out;
}

std::string percented(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\t') out += "%09";
        else if (c == '\n') out += "%0A";
        else if (c == '\r') out += "%0D";
        else if (c == '%') out += "%25";
        else out += c;
    }
    return out;
}

AnsiString unpercented(std::string_view s) {
    AnsiString out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::string_view code = s.substr(i, 3);
        if (code == "%09") out += '\t';
        else if (code == "%0A") out += '\n';
        else if (code == "%0D") out += '\r';
        else if (code == "%25") out += '%';
        else {
            out += s[i];
            continue;
        }
        i += 2;
    }
    return out;
}

std::string quoted(std::string_view s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += kDigits[c >> 4];
            out += kDigits[c & 15];
        } else {
            out += AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(&c), 1));
        }
    }
    return out + "\"";
}

AnsiString unquoted(std::string_view s) {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') return AnsiString(s);
    s = s.substr(1, s.size() - 2);
    AnsiString out;
    std::string utf8;  // the run of plain bytes since the last escape
    auto flush = [&] {
        out += Utf8ToAnsi(utf8);
        utf8.clear();
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            utf8 += s[i];
            continue;
        }
        flush();
        char c = s[++i];
        bool twoDigits = c == 'x' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0;
        if (twoDigits) {
            int high = hexValue(s[i + 1]), low = hexValue(s[i + 2]);
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += c;
        }
    }
    flush();
    return out;
}
}  // namespace

std::string EscapeLogText(std::string_view text, LogEscape rule) {
    switch (rule) {
    case LogEscape::Backslash: return backslashed(text);
    case LogEscape::Percent: return percented(text);
    case LogEscape::Quoted: return quoted(text);
    case LogEscape::None: break;
    }
    return std::string(text);
}

AnsiString UnescapeLogText(std::string_view field, LogEscape rule) {
    switch (rule) {
    case LogEscape::Backslash: return unbackslashed(field);
    case LogEscape::Percent: return unpercented(field);
    case LogEscape::Quoted: return unquoted(field);
    case LogEscape::None: break;
    }
    return AnsiString(field);
}

void MachineLog::Append(std::initializer_list<std::string_view> fields) const {
    std::string record;
    bool first = true;
    for (std::string_view f : fields) {
        if (!first) record += '\t';
        record += Escape(f);
        first = false;
    }
    AppendLine(record);
}

void MachineLog::AppendLine(std::string_view record) const {
    std::string line(record);
    line += '\n';
    int fd = ::open(MachineFile(fileName_).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t w = ::write(fd, line.data() + done, line.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        done += static_cast<std::size_t>(w);
    }
    ::close(fd);
}

std::vector<std::vector<AnsiString>> MachineLog::Records(std::size_t fields) const {
    std::vector<std::vector<AnsiString>> out;
    std::string text;
    ReadFileContents(MachineFile(fileName_), text);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + pos, end - pos);
        pos = end + 1;
        std::vector<AnsiString> record;
        for (std::size_t start = 0; record.size() < fields;) {
            if (start > line.size()) {
                record.emplace_back();
                continue;
            }
            std::size_t tab = std::min(line.find('\t', start), line.size());
            record.push_back(UnescapeLogText(line.substr(start, tab - start), rule_));
            start = tab + 1;
        }
        out.push_back(std::move(record));
    }
    return out;
}
