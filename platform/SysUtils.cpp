#include "SysUtils.h"

#include "LockedFile.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <atomic>
#include <clocale>
#include <ctime>
#include <langinfo.h>
#include <locale.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <linux/fs.h>
#include <sys/syscall.h>

namespace {
std::size_t lastSeparator(const AnsiString& p) { return p.find_last_of("\\/"); }

std::mutex gExeMutex;
AnsiString gExeName;

AnsiString errnoText() { return Utf8ToAnsi(std::strerror(errno)); }

// Civil-from-days and days-from-civil (proleptic Gregorian), day 0 = 1899-12-30.
long long daysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}
void civilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe) + static_cast<int>(era) * 400 + (m <= 2);
}
}  // namespace

AnsiString ExtractFileDir(const AnsiString& path) {
    auto p = lastSeparator(path);
    if (p == AnsiString::npos) return "";
    return path.substr(0, p == 0 ? 1 : p);
}

AnsiString ExtractFilePath(const AnsiString& path) {
    auto p = lastSeparator(path);
    return p == AnsiString::npos ? "" : path.substr(0, p + 1);
}

AnsiString ExtractFileName(const AnsiString& path) {
    auto p = lastSeparator(path);
    return p == AnsiString::npos ? path : path.substr(p + 1);
}

AnsiString ExtractFileExt(const AnsiString& path) {
    auto name = ExtractFileName(path);
    auto dot = name.rfind('.');
    return dot == AnsiString::npos ? "" : name.substr(dot);
}

AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext) {
    auto sep = lastSeparator(path);
    auto dot = path.rfind('.');
    if (dot == AnsiString::npos || (sep != AnsiString::npos && dot < sep)) return path + ext;
    return path.substr(0, dot) + ext;
}

std::string NativePath(const AnsiString& path) {
    std::string p = AnsiToUtf8(path);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

AnsiString ProgramFileName() {
    std::lock_guard lock(gExeMutex);
    if (gExeName.empty()) {
        char buf[4096];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n > 0) gExeName = Utf8ToAnsi(std::string_view(buf, static_cast<std::size_t>(n)));
    }
    return gExeName;
}

void SetProgramFileName(const AnsiString& path) {
    std::lock_guard lock(gExeMutex);
    gExeName = path;
}

bool FileExists(const AnsiString& path) {
    struct stat st {};
    return stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const AnsiString& path) {
    struct stat st {};
    return stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int FileAge(const AnsiString& path) {
    struct stat st {};
    if (stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    struct tm tm {};
    time_t t = st.st_mtime;
    localtime_r(&t, &tm);
    unsigned date = static_cast<unsigned>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    unsigned time = static_cast<unsigned>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return static_cast<int>((date << 16) | time);
}

TDateTime FileDateToDateTime(int dos) {
    unsigned v = static_cast<unsigned>(dos);
    unsigned date = v >> 16, time = v & 0xFFFF;
    return EncodeDateTime(static_cast<int>((date >> 9) + 1980), static_cast<int>((date >> 5) & 15),
                          static_cast<int>(date & 31), static_cast<int>(time >> 11),
                          static_cast<int>((time >> 5) & 63), static_cast<int>((time & 31) * 2));
}

bool DeleteFile(const AnsiString& path) {
    if (!FileExists(path)) return false;
    return unlink(NativePath(path).c_str()) == 0;
}

bool RenameFile(const AnsiString& from, const AnsiString& to) {
    return syscall(SYS_renameat2, AT_FDCWD, NativePath(from).c_str(), AT_FDCWD, NativePath(to).c_str(),
                   RENAME_NOREPLACE) == 0;
}

bool ReplaceFile(const AnsiString& from, const AnsiString& to) {
    return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

bool TryReadWholeFile(const AnsiString& path, std::string& out) {
    if (!FileExists(path)) return false;
    std::FILE* f = std::fopen(NativePath(path).c_str(), "rb");
    if (!f) return false;
    out.clear();
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

std::string ReadWholeFile(const AnsiString& path) {
    std::string out;
    if (!TryReadWholeFile(path, out)) throw EFOpenError("Cannot open file \"" + path + "\". " + errnoText());
    return out;
}

void WriteWholeFile(const AnsiString& path, std::string_view data, FileSync sync) {
    if (!ReplaceFileContents(NativePath(path), data, sync))
        throw EFCreateError("Cannot create file \"" + path + "\". " + errnoText());
}

void AppendToFile(const AnsiString& path, std::string_view data) {
    int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw EFOpenError("Cannot open file \"" + path + "\". " + errnoText());
    // Appenders in other processes take the same lock, so a cut-back never takes theirs.
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {}
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    for (std::size_t done = 0; ok && done < data.size();) {
        ssize_t w = ::write(fd, data.data() + done, data.size() - done);
        if (w < 0 && errno == EINTR) continue;
        ok = w > 0;
        if (ok) done += static_cast<std::size_t>(w);
    }
    int why = errno;
    // A record is in the file whole or not at all: what a full disk let through goes again.
    if (!ok && st.st_size >= 0) (void)!::ftruncate(fd, st.st_size);
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = errno;
    }
    errno = why;
    if (!ok) throw EWriteError("Cannot write file \"" + path + "\". " + errnoText());
}

AnsiString IntToStr(long long v) { return std::to_string(v); }

bool TryStrToInt(const AnsiString& s, long long& out) {
    AnsiString t = Trim(s);
    if (t.empty()) return false;
    std::size_t i = 0;
    bool neg = false;
    if (t[i] == '-' || t[i] == '+') {
        neg = t[i] == '-';
        ++i;
    }
    int base = 10;
    if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    } else if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    }
    if (i >= t.size()) return false;
    unsigned long long v = 0;
    for (; i < t.size(); ++i) {
        char c = t[i];
        int d = (c >= '0' && c <= '9')                 ? c - '0'
                : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
        if (d < 0) return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFull) return false;
    }
    long long r = static_cast<long long>(v);
    if (base == 10 && (neg ? r > 2147483648LL : r > 2147483647LL)) return false;
    if (base == 16 && !neg) r = static_cast<int32_t>(static_cast<uint32_t>(v));  // $FFFFFFFF = -1
    out = neg ? -r : r;
    return true;
}

long long StrToIntDef(const AnsiString& s, long long def) {
    long long v;
    return TryStrToInt(s, v) ? v : def;
}

TDateTime EncodeDateTime(int y, int mo, int d, int h, int mi, int s, int ms) {
    double days = static_cast<double>(daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) -
                                      daysFromCivil(1899, 12, 30));
    return days + (h * 3600000.0 + mi * 60000.0 + s * 1000.0 + ms) / 86400000.0;
}

void DecodeDateTime(TDateTime t, int& y, int& mo, int& d, int& h, int& mi, int& s, int& ms) {
    long long totalMs = std::llround(t * 86400000.0);
    long long day = totalMs >= 0 ? totalMs / 86400000 : -((-totalMs + 86399999) / 86400000);
    long long rest = totalMs - day * 86400000;
    civilFromDays(day + daysFromCivil(1899, 12, 30), y, mo, d);
    h = static_cast<int>(rest / 3600000);
    mi = static_cast<int>(rest / 60000 % 60);
    s = static_cast<int>(rest / 1000 % 60);
    ms = static_cast<int>(rest % 1000);
}

AnsiString FormatDateTime(const AnsiString& f, TDateTime t) {
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(t, y, mo, d, h, mi, s, ms);
    AnsiString out;
    auto two = [](int v) {
        char b[8];
        std::snprintf(b, sizeof b, "%02d", v);
        return AnsiString(b);
    };
    std::size_t i = 0;
    while (i < f.size()) {
        char c = f[i];
        char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::size_t run = 1;
        while (i + run < f.size() && std::tolower(static_cast<unsigned char>(f[i + run])) == lc) ++run;
        if (c == '"' || c == '\'') {
            auto end = f.find(c, i + 1);
            if (end == AnsiString::npos) end = f.size();
            out += f.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        switch (lc) {
        case 'd': out += run >= 2 ? two(d) : IntToStr(d); break;
        case 'm': out += run >= 2 ? two(mo) : IntToStr(mo); break;
        case 'y': out += run >= 3 ? Format("%04d", y) : two(y % 100); break;
        case 'h': out += run >= 2 ? two(h) : IntToStr(h); break;
        case 'n': out += run >= 2 ? two(mi) : IntToStr(mi); break;
        case 's': out += run >= 2 ? two(s) : IntToStr(s); break;
        case 'z': out += run >= 3 ? Format("%03d", ms) : IntToStr(ms); break;
        default: out.append(f, i, run); break;
        }
        i += run;
    }
    return out;
}

namespace {
std::atomic<char> gThousandSeparator{0};  // 0: not read from the locale yet
std::atomic<char> gDecimalSeparator{0};

// The user's separator when the locale has one that is a single 1252 character.
char localeSeparator(nl_item item, char fallback) {
    locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (!loc) return fallback;
    std::string text = nl_langinfo_l(item, loc);
    freelocale(loc);
    if (text.empty()) return fallback;
    AnsiString ansi = Utf8ToAnsi(text);
    if (ansi.size() != 1 || (ansi == "?" && text != "?")) return fallback;
    return ansi[0];
}

char separator(std::atomic<char>& cached, nl_item item, char fallback) {
    char c = cached.load();
    if (c == 0) {
        char expected = 0;
        cached.compare_exchange_strong(expected, localeSeparator(item, fallback));
        c = cached.load();
    }
    return c;
}

std::size_t countDigits(const AnsiString& picture) {
    std::size_t n = 0;
    for (char c : picture) n += c == '0' || c == '#';
    return n;
}
}  // namespace

char ThousandSeparator() { return separator(gThousandSeparator, THOUSEP, '.'); }
void SetThousandSeparator(char c) { gThousandSeparator.store(c); }
char DecimalSeparator() { return separator(gDecimalSeparator, RADIXCHAR, ','); }
void SetDecimalSeparator(char c) { gDecimalSeparator.store(c); }

AnsiString FormatFloat(const AnsiString& formatText, double value) {
    AnsiString format = formatText.substr(0, formatText.find(';'));
    std::size_t first = format.find_first_of("#0");
    if (first == AnsiString::npos) return format;
    std::size_t last = format.find_last_of("#0");
    AnsiString prefix = format.substr(0, first), suffix = format.substr(last + 1);
    AnsiString body = format.substr(first, last - first + 1);
    std::size_t dot = body.find('.');
    AnsiString intPicture = body.substr(0, dot);
    AnsiString fracPicture = dot == AnsiString::npos ? AnsiString() : body.substr(dot + 1);

    bool grouped = intPicture.find(',') != AnsiString::npos;
    std::size_t firstZero = intPicture.find('0');
    std::size_t minInt = firstZero == AnsiString::npos ? 0 : countDigits(intPicture.substr(firstZero));
    std::size_t maxFrac = countDigits(fracPicture);
    std::size_t lastZero = fracPicture.find_last_of('0');
    std::size_t minFrac = lastZero == AnsiString::npos ? 0 : countDigits(fracPicture.substr(0, lastZero + 1));

    bool negative = std::signbit(value);
    double magnitude = std::fabs(value);
    if (!std::isfinite(magnitude)) return std::isnan(value) ? "NAN" : negative ? "-INF" : "INF";
    // Half away from zero: round the scaled magnitude, then print it whole.
    double scaled = std::round(magnitude * std::pow(10.0, static_cast<double>(maxFrac)));
    AnsiString digits = Format("%.0f", scaled);
    if (digits.size() <= maxFrac) digits.insert(0, maxFrac + 1 - digits.size(), '0');
    AnsiString intDigits = digits.substr(0, digits.size() - maxFrac);
    AnsiString fracDigits = digits.substr(digits.size() - maxFrac);

    intDigits.erase(0, std::min(intDigits.find_first_not_of('0'), intDigits.size()));
    if (intDigits.size() < minInt) intDigits.insert(0, minInt - intDigits.size(), '0');
    while (fracDigits.size() > minFrac && fracDigits.back() == '0') fracDigits.pop_back();
    bool zero = intDigits.find_first_not_of('0') == AnsiString::npos &&
                fracDigits.find_first_not_of('0') == AnsiString::npos;

    AnsiString out = prefix;
    if (negative && !zero) out += '-';
    if (grouped) {
        char sep = ThousandSeparator();
        for (std::size_t i = 0; i < intDigits.size(); ++i) {
            if (i > 0 && (intDigits.size() - i) % 3 == 0) out += sep;
            out += intDigits[i];
        }
    } else {
        out += intDigits;
    }
    if (!fracDigits.empty()) out += DecimalSeparator() + fracDigits;
    return out + suffix;
}

AnsiString Format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    AnsiString out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
    va_end(ap2);
    return out;
}

AnsiString UpperCase(const AnsiString& s) {
    AnsiString r = s;
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

AnsiString LowerCase(const AnsiString& s) {
    AnsiString r = s;
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

AnsiString Trim(const AnsiString& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

bool SameText(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

bool StartsText(std::string_view subText, std::string_view text) {
    return text.size() >= subText.size() && SameText(subText, text.substr(0, subText.size()));
}
