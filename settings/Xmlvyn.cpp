#include "Xmlvyn.h"

#include "Log.h"

#include "platform/Application.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <expat.h>

TXMLvyn* XMLvyn = nullptr;

namespace {
void log(const AnsiString& line) {
    if (Logger) Logger->Add(line);
}

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

void XMLCALL OnStartElement(void* user, const XML_Char* name, const XML_Char** attrs) {
    auto* list = static_cast<TXMLvyn*>(user);
    if (std::strcmp(name, "ESTADOS") == 0) {
        list->BeginStates();
    } else if (std::strcmp(name, "ESTADO") == 0) {
        AnsiString sigla, capital;
        for (int i = 0; attrs[i]; i += 2) {
            if (std::strcmp(attrs[i], "sigla") == 0) {
                sigla.assign(attrs[i + 1], strnlen(attrs[i + 1], 2));
            } else if (std::strcmp(attrs[i], "capital") == 0) {
                capital = Utf8ToAnsi(attrs[i + 1]);
                if (capital.size() > 50) capital.resize(50);
            }
        }
        list->AddState(sigla, capital);
    } else if (std::strcmp(name, "CIDADE") == 0) {
        AnsiString nome;
        int32_t cityDdd = -1;
        for (int i = 0; attrs[i]; i += 2) {
            if (std::strcmp(attrs[i], "nome") == 0) nome = Utf8ToAnsi(attrs[i + 1]);
            else if (std::strcmp(attrs[i], "ddd") == 0) cityDdd = atolRules(attrs[i + 1]);
        }
        list->AddCity(cityDdd, nome);
    } else if (std::strcmp(name, "TEL") == 0) {
        list->BeginPhone();
    }
}

void XMLCALL OnEndElement(void* user, const XML_Char* name) {
    auto* list = static_cast<TXMLvyn*>(user);
    if (std::strcmp(name, "ESTADO") == 0) list->EndState();
    else if (std::strcmp(name, "CIDADE") == 0) list->EndCity();
    else if (std::strcmp(name, "TEL") == 0) list->EndPhone();
}

void XMLCALL OnCharacterData(void* user, const XML_Char* data, int length) {
    static_cast<TXMLvyn*>(user)->AppendPhoneText(data, length);
}
} // namespace

TXMLvyn::TXMLvyn() = default;
TXMLvyn::~TXMLvyn() = default;

bool TXMLvyn::Load(const AnsiString& fileName) {
    loaded = false;
    AnsiString path = ExtractFileDir(Application->ExeName()) + "\\" + fileName;
    TXmlRead r = ReadXmlFile(path, [this](XML_Parser parser) {
        XML_SetUserData(parser, this);
        XML_SetStartElementHandler(parser, OnStartElement);
        XML_SetEndElementHandler(parser, OnEndElement);
        XML_SetCharacterDataHandler(parser, OnCharacterData);
    });
    switch (r) {
    case TXmlRead::Parsed: loaded = true; break;
    case TXmlRead::OpenFailed: log("Ocorreu um erro ao abrir a lista de telefones de acesso."_a); break;
    case TXmlRead::NoParser:
    case TXmlRead::NoBuffer: log("Possível falta de memória ao alocar o buffer para o interpretador."_a); break;
    case TXmlRead::ReadFailed: log("Ocorreu um erro ao ler o arquivo de telefones de acesso."_a); break;
    case TXmlRead::ParseFailed: log("Ocorreu um erro ao interpretar o arquivo de telefones de acesso."_a); break;
    }
    if (loaded)
        std::sort(states.begin(), states.end(), [](const _estados& a, const _estados& b) { return a.sigla < b.sigla; });
    return loaded;
}

void TXMLvyn::SelectCity(const AnsiString& state, const AnsiString& city) {
    selected = false;
    auto s = std::find_if(states.begin(), states.end(), [&](const _estados& e) { return e.sigla == state; });
    if (s == states.end()) return;
    auto c = std::find_if(s->cidades.begin(), s->cidades.end(), [&](const _prov& p) { return p.nome == city; });
    if (c == s->cidades.end()) return;
    selectedState = static_cast<std::size_t>(s - states.begin());
    selectedCity = static_cast<std::size_t>(c - s->cidades.begin());
    firstPhone = currentPhone = 0;
    endPhone = c->telefones.size();
    ddd = c->ddd;
    selected = true;
}

AnsiString TXMLvyn::GetPhone() const {
    if (!selected || currentPhone >= endPhone) return "***";
    return states[selectedState].cidades[selectedCity].telefones[currentPhone];
}

void TXMLvyn::BeginStates() {
    states.clear();
    states.reserve(20);
    collecting = false;
}

void TXMLvyn::AddState(const AnsiString& sigla, const AnsiString& capital) {
    states.push_back({sigla, capital, {}});
}

void TXMLvyn::EndState() {
    if (!states.empty()) {
        auto& cities = states.back().cidades;
        std::sort(cities.begin(), cities.end(), [](const _prov& a, const _prov& b) { return a.nome < b.nome; });
    }
    collecting = false;
}

void TXMLvyn::AddCity(int32_t cityDdd, const AnsiString& nome) {
    if (states.empty()) return;
    states.back().cidades.push_back({nome, cityDdd, {}});
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
