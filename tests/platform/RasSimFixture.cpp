#include "RasSimFixture.h"

#include <cstring>

std::mutex RasSim::notesMutex_;
std::vector<Note> RasSim::notes_;
std::function<void(const Note&)> RasSim::onNote;

namespace {
template <typename F>
void bind(HMODULE library, const char* name, F& f) {
    f = reinterpret_cast<F>(GetProcAddress(library, name));
    ASSERT_NE(f, nullptr) << name;
}
}  // namespace

void RasSim::SetUp() {
    {
        std::lock_guard lock(notesMutex_);
        notes_.clear();
    }
    onNote = nullptr;
    machine.writeMachineFile("devices.txt", "modem\tModem Padr\xC3\xA3o 56K\nmodem\tOutro Modem\n");
    machine.installDialUpService();
    library = LoadLibraryA("RASAPI32.DLL");
    ASSERT_NE(library, nullptr);
    PFN_VynSimControl control = nullptr;
    bind(library, "VynSimControl", control);
    sim = control();
    bind(library, "RasDialA", RasDialA);
    bind(library, "RasHangUpA", RasHangUpA);
    bind(library, "RasGetConnectStatusA", RasGetConnectStatusA);
    bind(library, "RasGetErrorStringA", RasGetErrorStringA);
    bind(library, "RasEnumConnectionsA", RasEnumConnectionsA);
    bind(library, "RasEnumEntriesA", RasEnumEntriesA);
    bind(library, "RasDeleteEntryA", RasDeleteEntryA);
    bind(library, "RasGetEntryPropertiesA", RasGetEntryPropertiesA);
    bind(library, "RasSetEntryPropertiesA", RasSetEntryPropertiesA);
    bind(library, "RasEditPhonebookEntryA", RasEditPhonebookEntryA);
    bind(library, "RasGetConnectionStatistics", RasGetConnectionStatistics);
    bind(library, "RasGetAutodialAddressA", RasGetAutodialAddressA);
    bind(library, "RasSetAutodialAddressA", RasSetAutodialAddressA);
}

void RasSim::TearDown() {
    if (library) FreeLibrary(library);
    onNote = nullptr;
}

void RasSim::Notifier(HRASCONN h, UINT msg, RASCONNSTATE state, DWORD error, DWORD extendedError) {
    Note n{h, msg, state, error, extendedError, std::this_thread::get_id(), CurrentClock().MonotonicMs()};
    {
        std::lock_guard lock(notesMutex_);
        notes_.push_back(n);
    }
    if (onNote) onNote(n);
}

std::vector<Note> RasSim::Notes() {
    std::lock_guard lock(notesMutex_);
    return notes_;
}

void RasSim::createEntry(const std::string& name, const std::string& device) {
    RASENTRYA e{};
    e.dwSize = sizeof e;
    std::strcpy(e.szLocalPhoneNumber, "0");
    std::strcpy(e.szDeviceType, "modem");
    std::strncpy(e.szDeviceName, device.c_str(), sizeof e.szDeviceName - 1);
    ASSERT_EQ(RasSetEntryPropertiesA(nullptr, name.c_str(), &e, sizeof e, nullptr, 0), ERROR_SUCCESS);
}

RASDIALPARAMSA RasSim::Params(const std::string& entry, const std::string& phone, const std::string& user,
                              const std::string& password) {
    RASDIALPARAMSA p{};
    p.dwSize = sizeof p;
    std::strncpy(p.szEntryName, entry.c_str(), sizeof p.szEntryName - 1);
    std::strncpy(p.szPhoneNumber, phone.c_str(), sizeof p.szPhoneNumber - 1);
    std::strncpy(p.szUserName, user.c_str(), sizeof p.szUserName - 1);
    std::strncpy(p.szPassword, password.c_str(), sizeof p.szPassword - 1);
    return p;
}

DWORD RasSim::DialEntry(const std::string& entry, HRASCONN& handle) {
    RASDIALPARAMSA p = Params(entry);
    handle = 0;
    return RasDialA(nullptr, nullptr, &p, 1, reinterpret_cast<void*>(&Notifier), &handle);
}

DWORD RasSim::Status(HRASCONN h, RASCONNSTATUSA& s) {
    std::memset(&s, 0, sizeof s);
    s.dwSize = sizeof s;
    return RasGetConnectStatusA(h, &s);
}

std::vector<RASCONNA> RasSim::Connections() {
    std::vector<RASCONNA> buf(16);
    buf[0].dwSize = sizeof(RASCONNA);
    DWORD cb = static_cast<DWORD>(buf.size() * sizeof(RASCONNA)), count = 0;
    EXPECT_EQ(RasEnumConnectionsA(buf.data(), &cb, &count), ERROR_SUCCESS);
    buf.resize(count);
    return buf;
}
