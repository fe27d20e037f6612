// The program's phonebook entry, the dial string and the search for a connection that is
// already up.
#include "Dialer.h"

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"
#include "settings/Conf.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {
const AnsiString kEntryPrefix = "Ruvozava Corvala";
constexpr std::size_t kEntryBufferSize = 2090;
constexpr std::size_t kEnumEntries = 1024;
constexpr std::size_t kEnumConnections = 100;

// A zero-filled array of `n` plain records for the service to fill. calloc hands over pages
// that are zero already, so the rows the service leaves alone are never touched: the lists
// are sized for far more rows than a machine has.
struct Free {
    void operator()(void* p) const { std::free(p); }
};

template <class T>
std::unique_ptr<T[], Free> zeroed(std::size_t n) {
    std::unique_ptr<T[], Free> p(static_cast<T*>(std::calloc(n, sizeof(T))));
    if (!p) throw std::bad_alloc();
    return p;
}

// Writes `text` into the zero-terminated field of `size` bytes at `offset`, cut to fit.
void PutText(std::vector<unsigned char>& buffer, std::size_t offset, std::size_t size, const AnsiString& text) {
    std::size_t n = std::min(text.size(), size - 1);
    std::memset(buffer.data() + offset, 0, size);
    std::memcpy(buffer.data() + offset, text.data(), n);
}

void PutDword(std::vector<unsigned char>& buffer, std::size_t offset, DWORD value) {
    std::memcpy(buffer.data() + offset, &value, sizeof value);
}

template <std::size_t N>
AnsiString FieldText(const CHAR (&field)[N]) {
    return AnsiString(field, strnlen(field, N));
}

#define VYN_FIELD(field) offsetof(RASENTRYA, field), sizeof(RASENTRYA::field)
}  // namespace

void TDialer::SyncPhonebookEntry() {
    if (!bound()) return;
    auto names = zeroed<RASENTRYNAMEA>(kEnumEntries);
    names[0].dwSize = sizeof(RASENTRYNAMEA);
    DWORD size = static_cast<DWORD>(kEnumEntries * sizeof(RASENTRYNAMEA));
    DWORD count = 0;
    rasEnumEntries_(nullptr, nullptr, names.get(), &size, &count);
    bool found = false;
    for (std::size_t i = 0; i < std::min<std::size_t>(count, kEnumEntries); ++i) {
        AnsiString name = FieldText(names[i].szEntryName);
        if (name == entryName_) found = true;
        else if (name.compare(0, kEntryPrefix.size(), kEntryPrefix) == 0) DeleteEntry(name);
    }
    if (!found) CreateEntry();
}

void TDialer::DeleteEntry(const AnsiString& entryName) {
    if (!bound()) return;
    rasDeleteEntry_(nullptr, entryName.c_str());
}

void TDialer::CreateEntry() {
    if (!bound()) return;
    AnsiString modem = conf_.GetModem();
    if (modem.empty()) {
        ShowMessage("Nenhum modem selecionado.");
        return;
    }
    std::vector<unsigned char> entry(kEntryBufferSize, 0);
    PutDword(entry, offsetof(RASENTRYA, dwSize), sizeof(RASENTRYA));
    PutDword(entry, offsetof(RASENTRYA, dwfOptions),
             RASEO_IpHeaderCompression | RASEO_RemoteDefaultGateway | RASEO_SwCompression);
    PutText(entry, VYN_FIELD(szLocalPhoneNumber), edition_.EntryNumber());
    // The list of alternate numbers starts right after the record, empty.
    PutDword(entry, offsetof(RASENTRYA, dwAlternateOffset), sizeof(RASENTRYA));
    PutDword(entry, offsetof(RASENTRYA, dwFrameSize), 1500);
    PutDword(entry, offsetof(RASENTRYA, dwfNetProtocols), RASNP_Ip);
    PutDword(entry, offsetof(RASENTRYA, dwFramingProtocol), RASFP_Ppp);
    // Windows' AutoDial service calls the hook library beside the program.
    PutText(entry, VYN_FIELD(szAutodialDll), ExtractFileDir(Application->ExeName()) + "\\Tebrin.dll");
    PutText(entry, VYN_FIELD(szAutodialFunc), "AutoDialHandler");
    PutText(entry, VYN_FIELD(szDeviceType), "modem");
    PutText(entry, VYN_FIELD(szDeviceName), modem);
    // dwIdleDisconnectSeconds of the later record layout: never hang up when idle.
    PutDword(entry, 1792, 0xFFFFFFFFu);
    rasSetEntryProperties_(nullptr, entryName_.c_str(), reinterpret_cast<RASENTRYA*>(entry.data()),
                           static_cast<DWORD>(entry.size()), nullptr, 0);
}

void TDialer::UpdateEntry(const AnsiString& phone) {
    if (!bound()) return;
    DWORD size = 0;
    rasGetEntryProperties_(nullptr, entryName_.c_str(), nullptr, &size, nullptr, nullptr);
    std::vector<unsigned char> entry(std::max<std::size_t>(std::size_t(size) + 2, sizeof(RASENTRYA)), 0);
    PutDword(entry, offsetof(RASENTRYA, dwSize), sizeof(RASENTRYA));
    // The size learnt above, which never exceeds what was allocated.
    if (rasGetEntryProperties_(nullptr, entryName_.c_str(), reinterpret_cast<RASENTRYA*>(entry.data()), &size,
                               nullptr, nullptr) != ERROR_SUCCESS)
        return;
    PutText(entry, VYN_FIELD(szDeviceName), conf_.GetModem());
    PutText(entry, VYN_FIELD(szLocalPhoneNumber), phone);
    rasSetEntryProperties_(nullptr, entryName_.c_str(), reinterpret_cast<RASENTRYA*>(entry.data()), size, nullptr, 0);
}

AnsiString TDialer::fullDialString(const AnsiString& number) {
    AnsiString dial;
    if (!conf_.GetDiscagemPorTom()) dial += "P";
    if (conf_.GetLinhaExterna() != -1) dial += IntToStr(conf_.GetLinhaExterna()) + ",";
    dial += conf_.GetChamada();
    return dial + edition_.LongDistancePrefix(services_) + number;
}

AnsiString TDialer::BuildDialString(const AnsiString& number) {
    AnsiString dial = fullDialString(number);
    if (dial.size() > kDialStringMax) dial.resize(kDialStringMax);
    return dial;
}

bool TDialer::FindActiveConnection() {
    if (!bound()) return false;
    auto connections = zeroed<RASCONNA>(kEnumConnections);
    connections[0].dwSize = sizeof(RASCONNA);
    DWORD size = static_cast<DWORD>(kEnumConnections * sizeof(RASCONNA));
    DWORD count = 0;
    rasEnumConnections_(connections.get(), &size, &count);
    for (std::size_t i = 0; i < std::min<std::size_t>(count, kEnumConnections); ++i) {
        const RASCONNA& c = connections[i];
        // The connection this engine has just hung up is still listed while it ends.
        if (c.dwSize != sizeof(RASCONNA) || WasHungUp(c.hrasconn)) continue;
        RASCONNSTATUSA status;
        ConnectStatus(c.hrasconn, status);
        if (status.rasconnstate == RASCS_Connected) {
            handle_ = c.hrasconn;
            return true;
        }
    }
    return false;
}
