#include "Xmlvyn.h"

#include "Edition.h"
#include "Log.h"

#include "platform/Application.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <expat.h>

TXMLvyn* XMLvyn = nullptr;

namespace {
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
void sortCities(std::vector<_prov>& cities) {
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
    std::vector<_prov> sorted;
    sorted.reserve(cities.size());
    for (const Key& k : keys) sorted.push_back(std::move(cities[k.index]));
    cities.swap(sorted);
}

void XMLCALL OnCharacterData(void* arg, const XML_Char* data, int length);

// The parser is the handlers' argument and the list its user data. Character data is only
// asked for while a number is being collected: the blanks between elements then cost nothing.
void followCollecting(XML_Parser parser, const TXMLvyn* list) {
    XML_SetCharacterDataHandler(parser, list->Collecting() ? OnCharacterData : nullptr);
}

void XMLCALL OnStartElement(void* arg, const XML_Char* name, const XML_Char** attrs) {
    auto parser = static_cast<XML_Parser>(arg);
    auto* list = static_cast<TXMLvyn*>(XML_GetUserData(parser));
    if (std::strcmp(name, "TEL") == 0) {
        list->BeginPhone();
    } else if (std::strcmp(name, "CIDADE") == 0) {
        AnsiString nome;
        int32_t cityDdd = -1;
        for (int i = 0; attrs[i]; i += 2) {
            if (std::strcmp(attrs[i], "nome") == 0) nome = toAnsi(attrs[i + 1]);
            else if (std::strcmp(attrs[i], "ddd") == 0) cityDdd = atolRules(attrs[i + 1]);
        }
        list->AddCity(cityDdd, std::move(nome));
    } else if (std::strcmp(name, "ESTADO") == 0) {
        AnsiString sigla, capital;
        for (int i = 0; attrs[i]; i += 2) {
            if (std::strcmp(attrs[i], "sigla") == 0) {
                sigla.assign(attrs[i + 1], strnlen(attrs[i + 1], 2));
            } else if (std::strcmp(attrs[i], "capital") == 0) {
                capital = toAnsi(attrs[i + 1]);
                if (capital.size() > 50) capital.resize(50);
            }
        }
        list->AddState(std::move(sigla), std::move(capital));
    } else if (std::strcmp(name, "ESTADOS") == 0) {
        list->BeginStates();
    } else {
        return;
    }
    followCollecting(parser, list);
}

void XMLCALL OnEndElement(void* arg, const XML_Char* name) {
    auto parser = static_cast<XML_Parser>(arg);
    auto* list = static_cast<TXMLvyn*>(XML_GetUserData(parser));
    if (std::strcmp(name, "TEL") == 0) list->EndPhone();
    else if (std::strcmp(name, "CIDADE") == 0) list->EndCity();
    else if (std::strcmp(name, "ESTADO") == 0) list->EndState();
    else return;
    followCollecting(parser, list);
}

void XMLCALL OnCharacterData(void* arg, const XML_Char* data, int length) {
    static_cast<TXMLvyn*>(XML_GetUserData(static_cast<XML_Parser>(arg)))->AppendPhoneText(data, length);
}
} // namespace

TXMLvyn::TXMLvyn(const TServices& services)
    : log_(services.Log()), logsFailedSelection_(services.Edition().LogsFailedSelection()) {}
TXMLvyn::~TXMLvyn() = default;

bool TXMLvyn::Load(const AnsiString& fileName) {
    loaded = false;
    // The places a selection holds may be gone or name other cities once the file is read:
    // a list read anew has nothing selected (the area code stays, as after a failed selection).
    selected = false;
    AnsiString path = ExtractFileDir(Application->ExeName()) + "\\" + fileName;
    TXmlRead r = ReadXmlFile(path, [this](XML_Parser parser) {
        XML_SetUserData(parser, this);
        XML_UseParserAsHandlerArg(parser);
        XML_SetStartElementHandler(parser, OnStartElement);
        XML_SetEndElementHandler(parser, OnEndElement);
        followCollecting(parser, this);
    });
    switch (r) {
    case TXmlRead::Parsed: loaded = true; break;
    case TXmlRead::OpenFailed: log_.Add("Ocorreu um erro ao abrir a lista de telefones de acesso."_a); break;
    case TXmlRead::NoParser:
    case TXmlRead::NoBuffer: log_.Add("Possível falta de memória ao alocar o buffer para o interpretador."_a); break;
    case TXmlRead::ReadFailed: log_.Add("Ocorreu um erro ao ler o arquivo de telefones de acesso."_a); break;
    case TXmlRead::ParseFailed: log_.Add("Ocorreu um erro ao interpretar o arquivo de telefones de acesso."_a); break;
    }
    if (loaded)
        std::sort(states.begin(), states.end(), [](const _estados& a, const _estados& b) { return a.sigla < b.sigla; });
    return loaded;
}

std::size_t TXMLvyn::stateIndex(const AnsiString& state) const {
    // Only the first state of a code is ever searched.
    auto s = std::find_if(states.begin(), states.end(), [&](const _estados& e) { return e.sigla == state; });
    return static_cast<std::size_t>(s - states.begin());
}

const _prov* TXMLvyn::FindCity(const AnsiString& state, const AnsiString& city) const {
    std::size_t s = stateIndex(state);
    if (s == states.size()) return nullptr;
    const auto& cities = states[s].cidades;
    auto c = std::find_if(cities.begin(), cities.end(), [&](const _prov& p) { return p.nome == city; });
    return c == cities.end() ? nullptr : &*c;
}

void TXMLvyn::SelectCity(const AnsiString& state, const AnsiString& city) {
    selected = false;
    const _prov* c = FindCity(state, city);
    if (!c) {
        if (logsFailedSelection_)
            log_.Add("A configuração do discador parece incorreta. Reinicie o discador e reconfigure para "
                     "tentar resolver o problema."_a);
        return;
    }
    selectedState = stateIndex(state);
    selectedCity = static_cast<std::size_t>(c - states[selectedState].cidades.data());
    firstPhone = currentPhone = 0;
    endPhone = c->telefones.size();
    ddd = c->ddd;
    selected = true;
}

AnsiString TXMLvyn::GetPhone() const {
    if (!selected || currentPhone >= endPhone) return "***";
    return states[selectedState].cidades[selectedCity].telefones[currentPhone];
}

AnsiString TXMLvyn::GetNextPhone() {
    // A city without numbers has no ring to move along.
    if (!selected || firstPhone == endPhone) return "***";
    if (++currentPhone >= endPhone) currentPhone = firstPhone;
    return GetPhone();
}

void TXMLvyn::FillStateList(TStrings& list) const {
    list.Clear();
    for (const _estados& s : states) list.Add(s.sigla);
}

void TXMLvyn::FillCityList(TStrings& list, const AnsiString& state) const {
    list.Clear();
    std::size_t s = stateIndex(state);
    if (s == states.size()) return;
    for (const _prov& c : states[s].cidades) list.Add(c.nome);
}

void TXMLvyn::BeginStates() {
    states.clear();
    states.reserve(20);
    collecting = false;
}

void TXMLvyn::AddState(AnsiString sigla, AnsiString capital) {
    states.push_back({std::move(sigla), std::move(capital), {}});
}

void TXMLvyn::EndState() {
    if (!states.empty()) sortCities(states.back().cidades);
    collecting = false;
}

void TXMLvyn::AddCity(int32_t cityDdd, AnsiString nome) {
    if (states.empty()) return;
    auto& city = states.back().cidades.emplace_back(_prov{std::move(nome), cityDdd, {}});
    city.telefones.reserve(4);  // cities have a few numbers: one allocation for them
    collecting = false;
}

void TXMLvyn::EndCity() { collecting = false; }

void TXMLvyn::BeginPhone() {
    phoneText.clear();
    collecting = true;
}

void TXMLvyn::EndPhone() {
    if (states.empty() || states.back().cidades.empty()) return;
    states.back().cidades.back().telefones.push_back(phoneText);
    collecting = false;
}

void TXMLvyn::AppendPhoneText(const char* data, int length) {
    if (collecting) phoneText.append(data, static_cast<std::size_t>(length));
}
