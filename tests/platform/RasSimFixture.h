#pragma once
// The simulated dial-up service loaded as the programs load it (LoadLibraryA +
// GetProcAddress), every export bound, a fresh machine and fake clock per test, and a
// notifier that records what it receives.
#include "platform/Library.h"
#include "platform/RasApi.h"
#include "platform/rassim/RasSimControl.h"
#include "support/TempMachine.h"

#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One notification as the notifier received it.
struct Note {
    HRASCONN handle;
    UINT msg;
    RASCONNSTATE state;
    DWORD error;
    DWORD extendedError;
    std::thread::id thread;
    int64_t ms;  // the clock when it arrived
};

class RasSim : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The notifier handed to RasDialA: records, then runs `onNote` (if set) on the
    // service's thread.
    static void Notifier(HRASCONN h, UINT msg, RASCONNSTATE state, DWORD error, DWORD extendedError);
    static std::vector<Note> Notes();
    static std::function<void(const Note&)> onNote;

    void writeScript(const std::string& text) { machine.writeMachineFile("dial-script.txt", text); }
    // A 1768-byte entry with the given device, written through RasSetEntryPropertiesA.
    void createEntry(const std::string& name, const std::string& device = "Modem Padr\xE3o 56K");
    static RASDIALPARAMSA Params(const std::string& entry, const std::string& phone = "0",
                                 const std::string& user = "vyn", const std::string& password = "zuq");
    // RasDialA with the recording notifier; the handle it wrote.
    DWORD DialEntry(const std::string& entry, HRASCONN& handle);
    DWORD Status(HRASCONN h, RASCONNSTATUSA& s);
    std::vector<RASCONNA> Connections();

    TempMachine machine;
    HMODULE library = nullptr;
    RasSimControl* sim = nullptr;
    PFN_RasDialA RasDialA = nullptr;
    PFN_RasHangUpA RasHangUpA = nullptr;
    PFN_RasGetConnectStatusA RasGetConnectStatusA = nullptr;
    PFN_RasGetErrorStringA RasGetErrorStringA = nullptr;
    PFN_RasEnumConnectionsA RasEnumConnectionsA = nullptr;
    PFN_RasEnumEntriesA RasEnumEntriesA = nullptr;
    PFN_RasDeleteEntryA RasDeleteEntryA = nullptr;
    PFN_RasGetEntryPropertiesA RasGetEntryPropertiesA = nullptr;
    PFN_RasSetEntryPropertiesA RasSetEntryPropertiesA = nullptr;
    PFN_RasEditPhonebookEntryA RasEditPhonebookEntryA = nullptr;
    PFN_RasGetConnectionStatistics RasGetConnectionStatistics = nullptr;
    PFN_RasGetAutodialAddressA RasGetAutodialAddressA = nullptr;
    PFN_RasSetAutodialAddressA RasSetAutodialAddressA = nullptr;

private:
    static std::mutex notesMutex_;
    static std::vector<Note> notes_;
};
