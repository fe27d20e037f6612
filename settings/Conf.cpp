#include "Conf.h"

#include "Hosts.h"
#include "Log.h"

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/IniFiles.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <cstring>

TConf* Conf = nullptr;

namespace {
const AnsiString kPrincipal = "Principal";
const AnsiString kEMail = "EMail";
const AnsiString kUsuarios = "Usuarios";
// The provider's anonymous account is never remembered.
const AnsiString kAnonymousLogin = "vyn";
// Section Usuarios holds at most Usuario00 .. Usuario100.
constexpr int kLastLoginKey = 100;

AnsiString boundedText(const char* field, std::size_t fieldSize) {
    return AnsiString(field, strnlen(field, fieldSize));
}
}  // namespace

TConf::TConf(const TServices& services)
    : log_(services.Log()), edition_(services.Edition()),
      iniFileName_(edition_.SettingsFile(ChangeFileExt(Application->ExeName(), ".ini"))) {
    // Every field has its value and both lists exist before anything can fail, so Load and
    // the destructor work after a fatal message too.
    logins_.Sorted = true;
    logins_.Duplicates = TDuplicates::dupIgnore;

    std::lock_guard lock(mutex_);
    // A failed binding leaves the entry point null: the modem list stays empty.
    if (!ras_.Need(rasEnumDevices_, "RasEnumDevicesA").BoundOrQuit()) return;
    if (!enumModems()) {
        ShowMessage("Não foi encontrado nenhum modem instalado."_a);
        Application->Terminate();
    }
}

TConf::~TConf() = default;

bool TConf::EnumModems() {
    std::lock_guard lock(mutex_);
    return enumModems();
}

bool TConf::enumModems() {
    modems_.Clear();
    if (!rasEnumDevices_) return false;
    DWORD size = 0, count = 0;
    DWORD rc = rasEnumDevices_(nullptr, &size, &count);
    if (rc != ERROR_BUFFER_TOO_SMALL && rc != ERROR_SUCCESS) return false;
    std::size_t records = size / sizeof(RASDEVINFOA);
    if (records == 0) return false;
    std::vector<RASDEVINFOA> devices(records);  // zero-filled
    devices[0].dwSize = sizeof(RASDEVINFOA);
    size = static_cast<DWORD>(records * sizeof(RASDEVINFOA));  // what was allocated, no more
    count = 0;
    if (rasEnumDevices_(devices.data(), &size, &count) != ERROR_SUCCESS) return false;
    std::size_t n = std::min<std::size_t>(count, records);
    for (std::size_t i = 0; i < n; ++i) {
        // The type is compared byte for byte: "Modem", ISDN and VPN devices are not modems.
        if (boundedText(devices[i].szDeviceType, sizeof devices[i].szDeviceType) != "modem") continue;
        modems_.Add(boundedText(devices[i].szDeviceName, sizeof devices[i].szDeviceName));
    }
    return modems_.Count() > 0;
}

bool TConf::Load() {
    std::lock_guard lock(mutex_);
    TIniFile ini(iniFileName_);
    state_ = ini.ReadString(kPrincipal, "Estado", "");
    city_ = ini.ReadString(kPrincipal, "Cidade", "");
    login_ = ini.ReadString(kPrincipal, "Usuario", "");
    callWaiting_ = ini.ReadString(kPrincipal, "Chamada", "");
    mailServer_ = ini.ReadString(kEMail, "Servidor", kMailHost);
    areaCode_ = ini.ReadInteger(kPrincipal, "DDD", 0);
    carrier_ = ini.ReadInteger(kPrincipal, "Operadora", 0);
    outsideLine_ = ini.ReadInteger(kPrincipal, "LinhaExterna", -1);
    autoCheckMail_ = ini.ReadBool(kPrincipal, "ChecagemAutomaticaEmails", true);
    tone_ = ini.ReadBool(kPrincipal, "DiscagemPorTom", true);
    modem_ = ini.ReadString(kPrincipal, "Modem", "");

    // A stored modem stays chosen even when it is no longer installed.
    bool configured = edition_.Configured(state_, !modem_.empty(), modems_.Count());
    if (modem_.empty() && modems_.Count() > 0) modem_ = modems_[0];

    logins_.Clear();
    TStringList keys;
    ini.ReadSection(kUsuarios, keys);
    for (int i = 0; i < keys.Count(); ++i) logins_.Add(ini.ReadString(kUsuarios, keys[i], ""));
    return configured;
}

void TConf::Save() {
    std::lock_guard lock(mutex_);
    // One replacement: the file holds this save whole or the one before it.
    TIniFile(iniFileName_).Update([&](TIniBatch& ini) {
        ini.WriteString(kPrincipal, "Estado", state_);
        ini.WriteString(kPrincipal, "Cidade", city_);
        ini.WriteInteger(kPrincipal, "DDD", areaCode_);
        ini.WriteInteger(kPrincipal, "Operadora", carrier_);
        ini.WriteInteger(kPrincipal, "LinhaExterna", outsideLine_);
        ini.WriteBool(kPrincipal, "DiscagemPorTom", tone_);
        ini.WriteString(kPrincipal, "Chamada", callWaiting_);
        ini.WriteString(kPrincipal, "Modem", modem_);
    });
}

void TConf::SetUser(const AnsiString& login) {
    std::lock_guard lock(mutex_);
    login_ = login;
}

void TConf::SetPassword(const AnsiString& password) {
    std::lock_guard lock(mutex_);
    password_ = password;
}

void TConf::SetDialing(int areaCode, int carrier, int outsideLine, bool tone, const AnsiString& callWaiting) {
    std::lock_guard lock(mutex_);
    areaCode_ = areaCode;
    carrier_ = carrier;
    outsideLine_ = outsideLine;
    tone_ = tone;
    callWaiting_ = callWaiting;
}

void TConf::SetDestination(const AnsiString& state, const AnsiString& city) {
    std::lock_guard lock(mutex_);
    state_ = state;
    city_ = city;
}

void TConf::SetModem(const AnsiString& deviceName) {
    std::lock_guard lock(mutex_);
    modem_ = deviceName;
}

void TConf::GetModems(TStrings& list) const {
    std::lock_guard lock(mutex_);
    list.Clear();
    for (int i = 0; i < modems_.Count(); ++i) list.Add(modems_[i]);
}

void TConf::RememberUser() {
    bool refused = false;
    AnsiString file;
    {
        std::lock_guard lock(mutex_);
        if (login_ == kAnonymousLogin) return;
        if (logins_.IndexOf(login_) != -1) return;
        logins_.Add(login_);
        try {
            // Read and rewritten under the file's lock, as one replacement: the logins that
            // another process remembered meanwhile stay, and no kill leaves the section half
            // written.
            TIniFile(iniFileName_).Update([&](TIniBatch& ini) {
                TStringList keys;
                ini.ReadSection(kUsuarios, keys);
                for (int i = 0; i < keys.Count(); ++i) logins_.Add(ini.ReadString(kUsuarios, keys[i], ""));
                ini.EraseSection(kUsuarios);
                for (int i = 0; i < logins_.Count(); ++i) {
                    ini.WriteString(kUsuarios, Format("Usuario%02d", i), logins_[i]);
                    if (i == kLastLoginKey) break;
                }
            });
        } catch (const std::exception&) {
            // The connected sequence goes on; the login stays remembered for this run.
            refused = true;
            file = iniFileName_;
        }
    }
    if (refused) log_.Add("Não foi possível gravar o usuário em "_a + file + ".");
}

void TConf::SetAutoCheckMail(bool on) {
    std::lock_guard lock(mutex_);
    autoCheckMail_ = on;
    TIniFile(iniFileName_).Update([&](TIniBatch& ini) { ini.WriteBool(kPrincipal, "ChecagemAutomaticaEmails", on); });
}

#define VYN_CONF_GETTER(type, name, field) \
    type TConf::name() const {             \
        std::lock_guard lock(mutex_);      \
        return field;                      \
    }
VYN_CONF_GETTER(AnsiString, GetEstado, state_)
VYN_CONF_GETTER(AnsiString, GetCidade, city_)
VYN_CONF_GETTER(AnsiString, GetUser, login_)
VYN_CONF_GETTER(AnsiString, GetPassword, password_)
VYN_CONF_GETTER(AnsiString, GetChamada, callWaiting_)
VYN_CONF_GETTER(AnsiString, GetMailServer, mailServer_)
VYN_CONF_GETTER(AnsiString, GetModem, modem_)
VYN_CONF_GETTER(int, GetDDD, areaCode_)
VYN_CONF_GETTER(int, GetOperadora, carrier_)
VYN_CONF_GETTER(int, GetLinhaExterna, outsideLine_)
VYN_CONF_GETTER(bool, GetDiscagemPorTom, tone_)
VYN_CONF_GETTER(bool, GetAutoCheckMail, autoCheckMail_)
#undef VYN_CONF_GETTER

std::vector<AnsiString> TConf::GetUsers() const {
    std::lock_guard lock(mutex_);
    std::vector<AnsiString> out;
    for (int i = 0; i < logins_.Count(); ++i) out.push_back(logins_[i]);
    return out;
}

std::vector<AnsiString> TConf::Modems() const {
    std::lock_guard lock(mutex_);
    std::vector<AnsiString> out;
    for (int i = 0; i < modems_.Count(); ++i) out.push_back(modems_[i]);
    return out;
}
