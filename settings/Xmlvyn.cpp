#include "Xmlvyn.h"

#include "Edition.h"
#include "Log.h"

#include "platform/Application.h"
#include "platform/SysUtils.h"

#include <algorithm>

TXMLvyn* XMLvyn = nullptr;

TXMLvyn::TXMLvyn(const TServices& services)
    : log_(services.Log()), logsFailedSelection_(services.Edition().LogsFailedSelection()) {}
TXMLvyn::~TXMLvyn() = default;

bool TXMLvyn::Load(const AnsiString& fileName) {
    loaded = false;
    // The places a selection holds may be gone or name other cities once the file is read:
    // a list read anew has nothing selected (the area code stays, as after a failed selection).
    selected = false;
    AnsiString path = ExtractFileDir(Application->ExeName()) + "\\" + fileName;
    TXmlRead r = ReadPhoneListFile(path, states);
    const AnsiString parseFailed = "Ocorreu um erro ao interpretar o arquivo de telefones de acesso."_a;
    switch (r) {
    case TXmlRead::Parsed: loaded = true; break;
    case TXmlRead::OpenFailed: log_.Add("Ocorreu um erro ao abrir a lista de telefones de acesso."_a); break;
    case TXmlRead::NoParser:
    case TXmlRead::NoMemory: log_.Add("Possível falta de memória ao alocar o buffer para o interpretador."_a); break;
    case TXmlRead::ReadFailed: log_.Add("Ocorreu um erro ao ler o arquivo de telefones de acesso."_a); break;
    case TXmlRead::ParseFailed: log_.Add(parseFailed); break;
    // Beyond the bounds: unreadable as a list that does not parse, with the reason.
    case TXmlRead::TooLarge:
    case TXmlRead::TooLong:
    case TXmlRead::TooDeep:
    case TXmlRead::TooMany: log_.Add(parseFailed + " " + PhoneListBoundText(r)); break;
    }
    if (loaded)
        std::sort(states.begin(), states.end(),
                  [](const phonelist::_estados& a, const phonelist::_estados& b) { return a.sigla < b.sigla; });
    return loaded;
}

std::size_t TXMLvyn::stateIndex(const AnsiString& state) const {
    // Only the first state of a code is ever searched.
    auto s = std::find_if(states.begin(), states.end(),
                          [&](const phonelist::_estados& e) { return e.sigla == state; });
    return static_cast<std::size_t>(s - states.begin());
}

const phonelist::_prov* TXMLvyn::FindCity(const AnsiString& state, const AnsiString& city) const {
    std::size_t s = stateIndex(state);
    if (s == states.size()) return nullptr;
    const auto& cities = states[s].cidades;
    auto c = std::find_if(cities.begin(), cities.end(), [&](const phonelist::_prov& p) { return p.nome == city; });
    return c == cities.end() ? nullptr : &*c;
}

void TXMLvyn::SelectCity(const AnsiString& state, const AnsiString& city) {
    selected = false;
    const phonelist::_prov* c = FindCity(state, city);
    if (!c) {
        if (logsFailedSelection_)
            log_.Add(
                "A configuração do discador parece incorreta. Reinicie o discador e reconfigure para "
                "tentar resolver o problema."_a);
        return;
    }
    selectedState_ = stateIndex(state);
    selectedCity_ = static_cast<std::size_t>(c - states[selectedState_].cidades.data());
    firstPhone = currentPhone = 0;
    endPhone = c->telefones.size();
    ddd = c->ddd;
    selected = true;
}

AnsiString TXMLvyn::GetPhone() const {
    if (!selected || currentPhone >= endPhone) return "***";
    return states[selectedState_].cidades[selectedCity_].telefones[currentPhone];
}

AnsiString TXMLvyn::GetNextPhone() {
    // A city without numbers has no ring to move along.
    if (!selected || firstPhone == endPhone) return "***";
    if (++currentPhone >= endPhone) currentPhone = firstPhone;
    return GetPhone();
}

void TXMLvyn::FillStateList(TStrings& list) const {
    list.Clear();
    for (const phonelist::_estados& s : states) list.Add(s.sigla);
}

void TXMLvyn::FillCityList(TStrings& list, const AnsiString& state) const {
    list.Clear();
    std::size_t s = stateIndex(state);
    if (s == states.size()) return;
    for (const phonelist::_prov& c : states[s].cidades) list.Add(c.nome);
}
