#include "ConventionalEdition.h"

#include "platform/SysUtils.h"
#include "settings/Conf.h"
#include "settings/Hosts.h"
#include "settings/Log.h"
#include "settings/Xmlvyn.h"

namespace {
const AnsiString kProgramSuffix = "Roaming";
// The provider's anonymous account, which new users connect with to sign up.
const AnsiString kAnonymousLogin = "vyn";
const AnsiString kNoCity = "***";

// The phone list's number, or none with the region message.
AnsiString dialable(const AnsiString& number, const TServices& services) {
    if (number != kNoCity) return number;
    services.Log().Add(
        "Falta configurar sua região de acesso.\nClique no botão \"Alterar Configurações\" para configurar a região."_a);
    return "";
}
}  // namespace

AnsiString TConventionalEdition::SettingsFile(const AnsiString& ownIniFile) const {
    AnsiString name = ExtractFileName(ownIniFile);
    std::size_t at = name.find(kProgramSuffix);
    if (at == AnsiString::npos) return ownIniFile;
    return ExtractFilePath(ownIniFile) + name.erase(at, kProgramSuffix.size());
}

bool TConventionalEdition::Configured(const AnsiString& state, bool, int) const { return state.size() == 2; }

AnsiString TConventionalEdition::EntryNumber() const { return kNationalAccessNumber; }

AnsiString TConventionalEdition::DialNumber(const TServices& services) const {
    return dialable(services.Phones().GetPhone(), services);
}

AnsiString TConventionalEdition::WaitingNumber(const TServices& services) const {
    AnsiString number = services.Phones().GetPhone();
    return number == kNoCity ? AnsiString() : number;
}

AnsiString TConventionalEdition::RedialNumber(const TServices& services) const {
    return dialable(services.Phones().GetNextPhone(), services);
}

AnsiString TConventionalEdition::LongDistancePrefix(const TServices& services) const {
    int carrier = services.Settings().GetOperadora();
    int own = services.Settings().GetDDD();
    int destination = services.Phones().GetDDD();
    // A city without an area code of its own (0, or -1 when the list gave none) is dialled
    // as a local number.
    if (carrier <= 0 || own <= 0 || destination <= 0 || own == destination) return "";
    return "0" + IntToStr(carrier) + IntToStr(destination);
}

AnsiString TConventionalEdition::ReportPrefix(const TServices& services) const {
    return IntToStr(services.Phones().GetDDD());
}

AnsiString TConventionalEdition::PageAfterConnect(const AnsiString& login) const {
    return login == kAnonymousLogin ? SignUpPage() : TelecomHomePage();
}

const TEdition& ConventionalEdition() {
    static const TConventionalEdition edition;
    return edition;
}
