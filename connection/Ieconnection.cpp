#include "Ieconnection.h"

#include "settings/Conf.h"

#include "platform/Classes.h"
#include "platform/registry/Registry.h"

#include <algorithm>
#include <cstring>

TIEConnection* IEConnection = nullptr;

namespace {
const char* const kInternetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char* const kMachineAutoDial = "SOFTWARE\\Microsoft\\RAS AutoDial\\Default";
const char* const kUserAutoDial = "Software\\Microsoft\\RAS AutoDial\\Default";
const char* const kRemoteAccess = "RemoteAccess";
const char* const kModemClass9x = "System\\CurrentControlSet\\Services\\Class\\Modem\\";
const char* const kModemClassNT =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\";

constexpr DWORD kAutodialRecords = 128;
constexpr int kBlockSize = 255;  // the most of a "Default" block or a binary flag handled
// MDM_BLIND_DIAL (0x200) of the little-endian preferred-options word at offset 16.
constexpr int kBlindDialByte = 17;
constexpr unsigned char kBlindDialBit = 0x02;

// Closes the accessor's key however the operation ends.
struct KeyScope {
    TRegistry& reg;
    ~KeyScope() { reg.CloseKey(); }
};

void OpenForWrite(TRegistry& reg, const AnsiString& key) {
    if (!reg.OpenKey(key, true)) throw ERegistryException("Failed to create key " + key);
}

AnsiString EntryText(const RASAUTODIALENTRYA& entry) {
    return AnsiString(entry.szEntry, strnlen(entry.szEntry, sizeof entry.szEntry));
}
}  // namespace

TIEConnection::TIEConnection(const TServices& services, PFN_RasGetAutodialAddressA getAutodialAddress,
                             PFN_RasSetAutodialAddressA setAutodialAddress)
    : user_(std::make_unique<TRegistry>(KEY_ALL_ACCESS)), machine_(std::make_unique<TRegistry>(KEY_ALL_ACCESS)),
      services_(services), getAutodialAddress_(getAutodialAddress), setAutodialAddress_(setAutodialAddress) {
    user_->SetRootKey(HKEY_CURRENT_USER);
    machine_->SetRootKey(HKEY_LOCAL_MACHINE);
    // A missing value counts as binary, the form of the older systems.
    autodialIsBinary_ = GetValueType(*user_, kInternetSettings, "EnableAutodial").type != REG_DWORD;
    noNetIsBinary_ = GetValueType(*user_, kInternetSettings, "NoNetAutodial").type != REG_DWORD;
}

TIEConnection::~TIEConnection() {
    machine_.reset();
    user_.reset();
}

// --- the default Internet connection ---------------------------------------------------------

bool TIEConnection::IsDefault(const AnsiString& entryName) {
    return getAutodialAddress_ ? IsDefaultByRas(entryName) : IsDefaultByRegistry(entryName);
}

void TIEConnection::SetDefault(const AnsiString& entryName) {
    if (getAutodialAddress_) SetDefaultByRas(entryName);
    else SetDefaultByRegistry(entryName);
}

bool TIEConnection::IsDefaultByRas(const AnsiString& entryName) {
    std::vector<RASAUTODIALENTRYA> entries(kAutodialRecords);
    std::memset(entries.data(), 0, entries.size() * sizeof entries[0]);
    entries[0].dwSize = sizeof(RASAUTODIALENTRYA);
    DWORD size = 0, count = 0;
    getAutodialAddress_(nullptr, nullptr, nullptr, &size, &count);
    // A table larger than the array is taken for one that names the entry.
    if (count > kAutodialRecords) return true;
    size = std::min<DWORD>(size, static_cast<DWORD>(entries.size() * sizeof entries[0]));
    if (getAutodialAddress_(nullptr, nullptr, entries.data(), &size, &count) != ERROR_SUCCESS) return false;
    return EntryText(entries[0]) == entryName;
}

void TIEConnection::SetDefaultByRas(const AnsiString& entryName) {
    // Without the writer there is no way to change the table; the registry way would not be
    // the one IsDefault asks.
    if (!setAutodialAddress_) return;
    RASAUTODIALENTRYA entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    entry.dwFlags = 0;
    entry.dwDialingLocation = 1;
    std::size_t n = std::min<std::size_t>(entryName.size(), RAS_MaxEntryName);
    std::memcpy(entry.szEntry, entryName.data(), n);
    setAutodialAddress_(nullptr, 0, &entry, sizeof entry, 1);
}

bool TIEConnection::IsDefaultByRegistry(const AnsiString& entryName) {
    // A missing machine-wide value is no error: the per-user one is asked only when the
    // machine's read raises.
    AnsiString defaultInternet;
    try {
        defaultInternet = ReadText(*machine_, kMachineAutoDial, "DefaultInternet");
    } catch (const Exception&) {
        defaultInternet = ReadText(*user_, kUserAutoDial, "DefaultInternet");
    }
    lastProfile_ = ReadText(*user_, kRemoteAccess, "InternetProfile");
    lastAutodial_ = autodialIsBinary_ ? ReadFirstByte(*user_, kInternetSettings, "EnableAutodial")
                                      : ReadNumber(*user_, kInternetSettings, "EnableAutodial");
    lastNoNet_ = noNetIsBinary_ ? ReadFirstByte(*user_, kInternetSettings, "NoNetAutodial")
                                : ReadNumber(*user_, kInternetSettings, "NoNetAutodial");
    return defaultInternet == entryName && lastProfile_ == entryName && lastAutodial_ == 1 && lastNoNet_ == 1;
}

void TIEConnection::SetDefaultByRegistry(const AnsiString& entryName) {
    try {
        WriteText(*machine_, kMachineAutoDial, "DefaultInternet", entryName);
    } catch (const Exception&) {
        // A user without rights on the machine's keys.
        WriteText(*user_, kUserAutoDial, "DefaultInternet", entryName);
    }
    WriteText(*user_, kRemoteAccess, "InternetProfile", entryName);
    if (autodialIsBinary_) WriteFlagBlock(*user_, kInternetSettings, "EnableAutodial", 1);
    else WriteNumber(*user_, kInternetSettings, "EnableAutodial", 1);
    if (noNetIsBinary_) WriteFlagBlock(*user_, kInternetSettings, "NoNetAutodial", 1);
    else WriteNumber(*user_, kInternetSettings, "NoNetAutodial", 1);
}

// --- the modem's dial tone ----------------------------------------------------------------

AnsiString TIEConnection::GetModemClassKey() {
    if (!modemClassKey_.empty()) return modemClassKey_;
    AnsiString found;
    for (const char* key : {kModemClass9x, kModemClassNT}) {
        if (machine_->OpenKey(key, false)) {
            machine_->CloseKey();
            found = key;
            break;
        }
    }
    modemClassKey_ = found;
    return found;
}

std::vector<AnsiString> TIEConnection::ModemSubkeys() {
    AnsiString classKey = GetModemClassKey();
    std::vector<AnsiString> names;
    if (classKey.empty() || !machine_->OpenKey(classKey, false)) return names;
    TStringList list;
    machine_->GetKeyNames(&list);
    machine_->CloseKey();
    for (int i = 0; i < list.Count(); ++i) names.push_back(list[i]);
    return names;
}

void TIEConnection::FindModem() {
    AnsiString wanted = services_.Settings().GetModem();
    modemSubkey_.clear();
    // The last subkey naming the modem wins.
    for (const AnsiString& name : ModemSubkeys())
        if (ReadText(*machine_, modemClassKey_ + name, "Model") == wanted) modemSubkey_ = name;
}

bool TIEConnection::WaitsForDialTone(const AnsiString& modemKey) {
    ReadBlock(*machine_, modemKey, "Default");
    AnsiString userInit = ReadText(*machine_, modemKey, "UserInit");
    bool blind = (modemOptions_[kBlindDialByte] & kBlindDialBit) && userInit.find("X3") != AnsiString::npos;
    return !blind;
}

bool TIEConnection::GetWaitDialTone() {
    FindModem();
    if (!modemSubkey_.empty()) return WaitsForDialTone(modemClassKey_ + modemSubkey_);
    // No modem named as configured: any modem that waits makes the caller switch them all,
    // and once all dial blind, nothing is rewritten at the next start.
    for (const AnsiString& name : ModemSubkeys())
        if (WaitsForDialTone(modemClassKey_ + name)) return true;
    return false;
}

void TIEConnection::SetWaitDialTone(bool wait) {
    FindModem();
    std::vector<AnsiString> targets;
    if (!modemSubkey_.empty()) targets.push_back(modemSubkey_);
    else targets = ModemSubkeys();
    for (const AnsiString& name : targets) {
        AnsiString key = modemClassKey_ + name;
        int size = ReadBlock(*machine_, key, "Default");
        if (wait) modemOptions_[kBlindDialByte] &= static_cast<unsigned char>(~kBlindDialBit);
        else modemOptions_[kBlindDialByte] |= kBlindDialBit;
        // Written back at its own length: a short block stays as it was.
        WriteBlock(*machine_, key, "Default", size);
        WriteText(*machine_, key, "UserInit", wait ? "" : "ATX3");
    }
}

// --- registry access ------------------------------------------------------------------------

TIEConnection::ValueForm TIEConnection::GetValueType(TRegistry& reg, const AnsiString& key, const AnsiString& name) {
    ValueForm form;
    if (!reg.OpenKey(key, false)) return form;
    KeyScope scope{reg};
    form.type = reg.GetValueType(name);
    if (form.type >= 0) form.size = reg.GetDataSize(name);
    return form;
}

AnsiString TIEConnection::ReadText(TRegistry& reg, const AnsiString& key, const AnsiString& name) {
    if (!reg.OpenKey(key, false)) return {};
    KeyScope scope{reg};
    return reg.ReadString(name);
}

int TIEConnection::ReadNumber(TRegistry& reg, const AnsiString& key, const AnsiString& name) {
    if (!reg.OpenKey(key, false)) return 0;
    KeyScope scope{reg};
    return reg.ValueExists(name) ? reg.ReadInteger(name) : 0;
}

int TIEConnection::ReadFirstByte(TRegistry& reg, const AnsiString& key, const AnsiString& name) {
    int size = ReadBlock(reg, key, name);
    return size > 0 ? static_cast<signed char>(modemOptions_[0]) : 0;
}

int TIEConnection::ReadBlock(TRegistry& reg, const AnsiString& key, const AnsiString& name) {
    std::memset(modemOptions_, 0, kBlockSize);
    if (!reg.OpenKey(key, false)) return 0;
    KeyScope scope{reg};
    return reg.ReadBinaryData(name, modemOptions_, kBlockSize);
}

void TIEConnection::WriteText(TRegistry& reg, const AnsiString& key, const AnsiString& name, const AnsiString& text) {
    OpenForWrite(reg, key);
    KeyScope scope{reg};
    reg.WriteString(name, text);
}

void TIEConnection::WriteNumber(TRegistry& reg, const AnsiString& key, const AnsiString& name, int number) {
    OpenForWrite(reg, key);
    KeyScope scope{reg};
    reg.WriteInteger(name, number);
}

void TIEConnection::WriteBlock(TRegistry& reg, const AnsiString& key, const AnsiString& name, int size) {
    OpenForWrite(reg, key);
    KeyScope scope{reg};
    reg.WriteBinaryData(name, modemOptions_, size);
}

void TIEConnection::WriteFlagBlock(TRegistry& reg, const AnsiString& key, const AnsiString& name, int number) {
    const unsigned char flag[4] = {static_cast<unsigned char>(number & 0xFF), 0, 0, 0};
    OpenForWrite(reg, key);
    KeyScope scope{reg};
    reg.WriteBinaryData(name, flag, sizeof flag);
}
