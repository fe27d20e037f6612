#include "Xmlvynsup.h"

#include "platform/SysUtils.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <expat.h>
#include <functional>
#include <new>
#include <zlib.h>

namespace {
constexpr int kBlock = 65536;

// The standard atol's reading: blanks, a sign, digits up to the first other character; an
// out-of-range value saturates as the platform's run-time library does.
int32_t atolRules(const char* s) {
    while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
    bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    long long v = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        v = v * 10 + (*s - '0');
        if (v > 2147483648LL) v = 2147483648LL;
    }
    if (negative) return static_cast<int32_t>(-v);
    return static_cast<int32_t>(std::min<long long>(v, INT32_MAX));
}

// Names from a Latin-1 file hold U+0000..U+00FF, each the byte of the same value in 1252 text
// (the C1 controls too, as the general conversion has it): those are converted here;
// anything else takes the general conversion.
AnsiString toAnsi(const char* utf8) {
    AnsiString out;
    for (const char* p = utf8; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        unsigned char next = static_cast<unsigned char>(p[1]);
        if (c == 0xC3 && (next & 0xC0) == 0x80) out += static_cast<char>(next + 0x40);
        else if (c == 0xC2 && (next & 0xC0) == 0x80) out += static_cast<char>(next);
        else return Utf8ToAnsi(utf8);
        ++p;
    }
    return out;
}

// Cities in byte order of their names. The sort runs on the names' first eight bytes as one
// number (names hold no zero byte, so a shorter name still comes first) and looks at the
// whole names only on a tie; the cities are then moved once, into their places.
void sortCities(std::vector<phonelist::_prov>& cities) {
    struct Key {
        uint64_t prefix;
        uint32_t index;
    };
    std::vector<Key> keys(cities.size());
    for (std::size_t i = 0; i < cities.size(); ++i) {
        uint64_t k = 0;
        const AnsiString& n = cities[i].nome;
        for (std::size_t b = 0; b < 8; ++b) k = (k << 8) | (b < n.size() ? static_cast<unsigned char>(n[b]) : 0u);
        keys[i] = {k, static_cast<uint32_t>(i)};
    }
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        return cities[a.index].nome < cities[b.index].nome;
    });
    std::vector<phonelist::_prov> sorted;
    sorted.reserve(cities.size());
    for (const Key& k : keys) sorted.push_back(std::move(cities[k.index]));
    cities.swap(sorted);
}

// The list as the parser's handlers build it. The handlers run inside expat's C frames, so
// nothing may escape them: a failure (no memory, a value over its bound) stops the parser
// and is kept here for the reading loop to report.
struct Builder {
    std::vector<phonelist::_estados>& states;
    AnsiString phoneText;
    bool collecting = false;
    TXmlRead refusal = TXmlRead::Parsed;  // why the parse was stopped, if it was
    std::size_t depth = 0;                // elements open
    std::size_t entries = 0;              // states, cities and numbers begun

    void beginStates() {
        states.clear();
        states.reserve(20);
        collecting = false;
    }
    void addState(AnsiString sigla, AnsiString capital) {
        states.push_back({std::move(sigla), std::move(capital), {}});
    }
    void endState() {
        if (!states.empty()) sortCities(states.back().cidades);
        collecting = false;
    }
    void addCity(int32_t cityDdd, AnsiString nome) {
        if (states.empty()) return;
        auto& city = states.back().cidades.emplace_back(phonelist::_prov{std::move(nome), cityDdd, {}});
        city.telefones.reserve(4);  // cities have a few numbers: one allocation for them
        collecting = false;
    }
    void beginPhone() {
        phoneText.clear();
        collecting = true;
    }
    void endPhone() {
        if (states.empty() || states.back().cidades.empty()) return;
        states.back().cidades.back().telefones.push_back(phoneText);
        collecting = false;
    }
};

Builder& builderOf(XML_Parser parser) { return *static_cast<Builder*>(XML_GetUserData(parser)); }

void stop(XML_Parser parser, TXmlRead why) {
    Builder& b = builderOf(parser);
    if (b.refusal == TXmlRead::Parsed) b.refusal = why;
    XML_StopParser(parser, XML_FALSE);
}

// Runs a handler's work on the list; whatever it throws stops the parse instead of
// crossing expat.
template <typename F>
void guarded(XML_Parser parser, F&& work) noexcept {
    Builder& list = builderOf(parser);
    if (list.refusal != TXmlRead::Parsed) return;  // stopped: expat may still call
    try {
        work(list);
    } catch (const std::bad_alloc&) {
        stop(parser, TXmlRead::NoMemory);
    } catch (...) {
        stop(parser, TXmlRead::ParseFailed);
    }
}

// The value of a field the list reads, or null (after stopping the parse) when it is over
// its bound.
const char* field(XML_Parser parser, const char* value) {
    if (strnlen(value, kMaxPhoneListField + 1) <= kMaxPhoneListField) return value;
    stop(parser, TXmlRead::TooLong);
    return nullptr;
}

void XMLCALL OnCharacterData(void* arg, const XML_Char* data, int length);

// Character data is only asked for while a number is being collected: the blanks between
// elements then cost nothing.
void followCollecting(XML_Parser parser, const Builder& list) {
    XML_SetCharacterDataHandler(parser, list.collecting ? OnCharacterData : nullptr);
}

void startElement(XML_Parser parser, Builder& list, const XML_Char* name, const XML_Char** attrs) {
    if (++list.depth > kMaxPhoneListDepth) return stop(parser, TXmlRead::TooDeep);
    // A state, a city or a number more.
    auto tooMany = [&] {
        if (++list.entries <= kMaxPhoneListEntries) return false;
        stop(parser, TXmlRead::TooMany);
        return true;
    };
    if (std::strcmp(name, "TEL") == 0) {
        if (tooMany()) return;
        list.beginPhone();
    } else if (std::strcmp(name, "CIDADE") == 0) {
        if (tooMany()) return;
        AnsiString nome;
        int32_t cityDdd = -1;
        for (int i = 0; attrs[i]; i += 2) {
            bool isNome = std::strcmp(attrs[i], "nome") == 0;
            if (!isNome && std::strcmp(attrs[i], "ddd") != 0) continue;
            const char* value = field(parser, attrs[i + 1]);
            if (!value) return;
            if (isNome) nome = toAnsi(value);
            else cityDdd = atolRules(value);
        }
        list.addCity(cityDdd, std::move(nome));
    } else if (std::strcmp(name, "ESTADO") == 0) {
        if (tooMany()) return;
        AnsiString sigla, capital;
        for (int i = 0; attrs[i]; i += 2) {
            bool isSigla = std::strcmp(attrs[i], "sigla") == 0;
            if (!isSigla && std::strcmp(attrs[i], "capital") != 0) continue;
            const char* value = field(parser, attrs[i + 1]);
            if (!value) return;
            if (isSigla) {
                sigla.assign(value, strnlen(value, 2));
            } else {
                capital = toAnsi(value);
                if (capital.size() > 50) capital.resize(50);
            }
        }
        list.addState(std::move(sigla), std::move(capital));
    } else if (std::strcmp(name, "ESTADOS") == 0) {
        list.beginStates();
    } else {
        return;
    }
    followCollecting(parser, list);
}

void XMLCALL OnStartElement(void* arg, const XML_Char* name, const XML_Char** attrs) {
    auto parser = static_cast<XML_Parser>(arg);
    guarded(parser, [&](Builder& list) { startElement(parser, list, name, attrs); });
}

void XMLCALL OnEndElement(void* arg, const XML_Char* name) {
    auto parser = static_cast<XML_Parser>(arg);
    guarded(parser, [&](Builder& list) {
        --list.depth;
        if (std::strcmp(name, "TEL") == 0) list.endPhone();
        else if (std::strcmp(name, "CIDADE") == 0) list.collecting = false;
        else if (std::strcmp(name, "ESTADO") == 0) list.endState();
        else return;
        followCollecting(parser, list);
    });
}

void XMLCALL OnCharacterData(void* arg, const XML_Char* data, int length) {
    auto parser = static_cast<XML_Parser>(arg);
    guarded(parser, [&](Builder& list) {
        if (!list.collecting) return;
        if (list.phoneText.size() + static_cast<std::size_t>(length) > kMaxPhoneListField)
            return stop(parser, TXmlRead::TooLong);
        list.phoneText.append(data, static_cast<std::size_t>(length));
    });
}

// Feeds the document to a parser with the list's handlers, block by block from `read` (the
// bytes it put in the buffer, 0 at the end, negative on a read error).
TXmlRead readList(const std::function<int(void* buffer, int size)>& read, std::vector<phonelist::_estados>& states) {
    XML_Parser parser = XML_ParserCreate("ISO-8859-1");
    if (!parser) return TXmlRead::NoParser;
    Builder list{states, {}, false, TXmlRead::Parsed};
    XML_SetUserData(parser, &list);
    XML_UseParserAsHandlerArg(parser);
    XML_SetStartElementHandler(parser, OnStartElement);
    XML_SetEndElementHandler(parser, OnEndElement);
    followCollecting(parser, list);
    TXmlRead result;
    std::size_t fed = 0;
    for (;;) {
        void* buffer = XML_GetBuffer(parser, kBlock);
        if (!buffer) {
            result = TXmlRead::NoMemory;
            break;
        }
        int count = read(buffer, kBlock);
        if (count < 0) {
            result = TXmlRead::ReadFailed;
            break;
        }
        fed += static_cast<std::size_t>(count);
        if (fed > kMaxPhoneListBytes) {
            result = TXmlRead::TooLarge;
            break;
        }
        if (XML_ParseBuffer(parser, count, count == 0) == XML_STATUS_ERROR) {
            XML_Error e = XML_GetErrorCode(parser);
            result = e == XML_ERROR_ABORTED     ? list.refusal
                     : e == XML_ERROR_NO_MEMORY ? TXmlRead::NoMemory
                                                : TXmlRead::ParseFailed;
            break;
        }
        if (count == 0) {
            result = TXmlRead::Parsed;
            break;
        }
        // Where the piece expat has not seen the end of begins: it is kept and scanned again.
        XML_Index pending = XML_GetCurrentByteIndex(parser);
        if (pending >= 0 && fed - static_cast<std::size_t>(pending) > kMaxPhoneListMarkup) {
            result = TXmlRead::TooLong;
            break;
        }
    }
    XML_ParserFree(parser);
    return result;
}
}  // namespace

AnsiString PhoneListBoundText(TXmlRead outcome) {
    switch (outcome) {
    case TXmlRead::TooLarge: return "Tamanho descompactado acima de 16 MB."_a;
    case TXmlRead::TooLong: return "Campo acima de 4 KB ou marcação acima de 64 KB."_a;
    case TXmlRead::TooDeep: return "Marcações aninhadas em mais de 32 níveis."_a;
    case TXmlRead::TooMany: return "Mais de 600.000 estados, cidades e números."_a;
    default: return "";
    }
}

TXmlRead ReadPhoneListFile(const AnsiString& path, std::vector<phonelist::_estados>& states) {
    // gzopen accepts a directory on this platform; only a regular file counts as openable.
    if (!FileExists(path)) return TXmlRead::OpenFailed;
    gzFile file = gzopen(NativePath(path).c_str(), "rb");
    if (!file) return TXmlRead::OpenFailed;
    auto read = [file](void* buffer, int size) { return gzread(file, buffer, static_cast<unsigned>(size)); };
    TXmlRead result = readList(read, states);
    gzclose(file);
    return result;
}

TXmlRead ReadPhoneListBytes(std::string_view document, std::vector<phonelist::_estados>& states) {
    std::size_t at = 0;
    return readList(
        [&](void* buffer, int size) {
            std::size_t n = std::min(document.size() - at, static_cast<std::size_t>(size));
            if (n) std::memcpy(buffer, document.data() + at, n);
            at += n;
            return static_cast<int>(n);
        },
        states);
}
