#include "WinNls.h"

#include "AnsiString.h"

#include <string>

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideChars, LPSTR multi, int multiBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar) {
    bool utf8 = codePage == CP_UTF8;
    if (!wide || wideChars == 0 || wideChars < -1 || multiBytes < 0) return 0;
    if (!utf8 && codePage != CP_ACP && codePage != 1252) return 0;
    if (utf8 && (defaultChar || usedDefaultChar)) return 0;
    std::size_t count = 0;
    if (wideChars == -1) {
        while (wide[count] != 0) ++count;
        ++count;  // the zero too
    } else {
        count = static_cast<std::size_t>(wideChars);
    }
    std::string out;
    bool usedDefault = false;
    char fallback = defaultChar ? *defaultChar : '?';
    for (std::size_t i = 0; i < count; ++i) {
        char32_t cp = wide[i];
        bool bad = false;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            bad = true;
        }
        if (utf8) {
            AppendUtf8(out, bad ? char32_t{0xFFFD} : cp);
            continue;
        }
        char c;
        if (bad || !UnicodeToAnsiChar(cp, c)) {
            c = fallback;
            usedDefault = true;
        }
        out += c;
    }
    if (usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
    if (multiBytes == 0) return static_cast<int>(out.size());
    if (!multi || out.size() > static_cast<std::size_t>(multiBytes)) return 0;
    out.copy(multi, out.size());
    return static_cast<int>(out.size());
}
