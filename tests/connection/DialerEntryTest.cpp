// The binding of the dial-up service, the phonebook entry (name, sync, the bytes written,
// updates), the dial string, the dial parameters and the search for a connection.
#include "support/engine/EngineFixture.h"

#include "platform/Application.h"
#include "platform/SysUtils.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {
using Entry = EngineCase;

const AnsiString kEntry = "Ruvozava Corvala 1.3.0";

struct BookEntry {
    AnsiString name;
    std::string bytes;
};

// "phonebook.txt": name TAB size TAB hex, one entry a line.
std::vector<BookEntry> Phonebook(const TempMachine& m) {
    std::ifstream in(m.dir() + "/phonebook.txt", std::ios::binary);
    std::vector<BookEntry> out;
    std::string line;
    while (std::getline(in, line)) {
        auto t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
        std::string hex = line.substr(t2 + 1), bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        out.push_back({Utf8ToAnsi(line.substr(0, t1)), bytes});
    }
    return out;
}

std::vector<AnsiString> Names(const TempMachine& m) {
    std::vector<AnsiString> out;
    for (auto& e : Phonebook(m)) out.push_back(e.name);
    return out;
}

void Put(std::string& b, std::size_t offset, const std::string& text) { b.replace(offset, text.size(), text); }
void PutDword(std::string& b, std::size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The entry the program creates, byte by byte from the record's layout.
std::string ExpectedEntry(const AnsiString& programDir, const AnsiString& modem) {
    std::string b(2090, '\0');
    PutDword(b, 0, 1768);
    PutDword(b, 4, 0x218);
    Put(b, 27, "0");
    PutDword(b, 156, 1768);
    PutDword(b, 180, 1500);
    PutDword(b, 184, 4);
    PutDword(b, 188, 1);
    Put(b, 452, programDir + "\\Tebrin.dll");
    Put(b, 712, "AutoDialHandler");
    Put(b, 972, "modem");
    Put(b, 989, modem);
    PutDword(b, 1792, 0xFFFFFFFF);
    return b;
}
}  // namespace

TEST_F(Entry, TheNameFollowsTheProgramsVersionWithoutItsLastPart) {
    StartEngine();
    EXPECT_EQ(dialer->Version(), "1.3.0.28");
    EXPECT_EQ(dialer->EntryName(), kEntry);
    StopEngine();
    // A program file without a version: the name keeps its trailing blank.
    std::remove(machine.path("Mirvane.exe").c_str());
    machine.writeProgramFile("Mirvane.exe", "not a program");
    StartEngine();
    EXPECT_EQ(dialer->Version(), "");
    EXPECT_EQ(dialer->EntryName(), "Ruvozava Corvala ");
}

TEST_F(Entry, SyncDeletesTheOtherVersionsAndCreatesTheCurrentOneWhenMissing) {
    struct {
        const char* what;
        std::vector<std::string> before;
        std::vector<std::string> after;
        bool created;
    } cases[] = {
        {"an empty phonebook", {}, {"Ruvozava Corvala 1.3.0"}, true},
        {"an older version and the current one",
         {"Ruvozava Corvala 1.2.9", "Ruvozava Corvala 1.3.0"},
         {"Ruvozava Corvala 1.3.0"},
         false},
        {"a newer version", {"Ruvozava Corvala 1.4.0"}, {"Ruvozava Corvala 1.3.0"}, true},
        {"other letter case and other names stay",
         {"ruvozava corvala 1.2", "discador corvala 1.2", "Outro Provedor"},
         {"ruvozava corvala 1.2", "discador corvala 1.2", "Outro Provedor", "Ruvozava Corvala 1.3.0"},
         true},
        {"the bare name", {"Ruvozava Corvala"}, {"Ruvozava Corvala 1.3.0"}, true},
        {"the name with more after it", {"Ruvozava Corvala 1.3.0 beta"}, {"Ruvozava Corvala 1.3.0"}, true},
    };
    PFN_RasSetEntryPropertiesA set = reinterpret_cast<PFN_RasSetEntryPropertiesA>(
        GetProcAddress(service, "RasSetEntryPropertiesA"));
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        StopEngine();
        std::remove((machine.dir() + "/phonebook.txt").c_str());
        for (auto& name : c.before) {
            RASENTRYA e{};
            e.dwSize = sizeof e;
            std::strcpy(e.szDeviceType, "modem");
            std::strcpy(e.szLocalPhoneNumber, "12345");
            ASSERT_EQ(set(nullptr, name.c_str(), &e, sizeof e, nullptr, 0), 0u);
        }
        std::string kept = c.created ? "" : Phonebook(machine).back().bytes;
        sim->Reset();
        StartEngine();
        std::vector<AnsiString> want(c.after.begin(), c.after.end());
        EXPECT_EQ(Names(machine), want);
        EXPECT_EQ(sim->Calls("RasSetEntryPropertiesA").size(), c.created ? 1u : 0u);
        if (!c.created) {
            EXPECT_EQ(Phonebook(machine).back().bytes, kept) << "the current entry is left as it is";
        }
    }
}

TEST_F(Entry, TheCreatedEntryIsThe2090BytesOfTheRecord) {
    StartEngine();
    auto writes = sim->Calls("RasSetEntryPropertiesA");
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].Arg("lpszEntry"), kEntry);
    EXPECT_EQ(writes[0].Arg("dwEntryInfoSize"), "2090");
    std::string want = ExpectedEntry(ExtractFileDir(Application->ExeName()), "Modem Padr\xE3o 56K");
    EXPECT_EQ(writes[0].Buffer("entry"), want);
    auto book = Phonebook(machine);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book[0].bytes, want);
}

TEST_F(Entry, TextsLongerThanTheirFieldsAreCut) {
    AnsiString longModem(200, 'M');
    conf->SetModem(longModem);
    StartEngine();
    auto entry = sim->Calls("RasSetEntryPropertiesA").at(0).Buffer("entry");
    EXPECT_EQ(entry.substr(989, 129), std::string(128, 'M') + '\0');
    EXPECT_EQ(entry.substr(1118, 1), std::string(1, '\0')) << "the next field is untouched";

    // A program folder too deep for the AutoDial library's field.
    AnsiString deep = "C:\\" + AnsiString(300, 'p');
    SetProgramFileName(deep + "\\Mirvane.exe");
    dialer->CreateEntry();
    entry = sim->Calls("RasSetEntryPropertiesA").back().Buffer("entry");
    EXPECT_EQ(entry.substr(452, 260), (deep + "\\Tebrin.dll").substr(0, 259) + '\0');
    EXPECT_EQ(entry.substr(712, 15), "AutoDialHandler");

    // A number too long for the entry, and dial parameters too long for theirs.
    dialer->UpdateEntry(AnsiString(300, '9'));
    entry = sim->Calls("RasSetEntryPropertiesA").back().Buffer("entry");
    EXPECT_EQ(entry.substr(27, 129), std::string(128, '9') + '\0');
    conf->SetDialing(0, 0, -1, true, AnsiString(200, '*'));
    writeScript("dial hang\n");
    dialer->Dial(AnsiString(300, 'u'), AnsiString(300, 's'));
    auto dial = sim->Calls("RasDialA");
    ASSERT_EQ(dial.size(), 1u);
    EXPECT_EQ(dial[0].result, 0u);
    std::string params = dial[0].Buffer("params");
    ASSERT_EQ(params.size(), 1052u);
    EXPECT_EQ(params.substr(261, 129), std::string(128, '*') + '\0');
    EXPECT_EQ(params.substr(519, 257), std::string(256, 'u') + '\0');
    EXPECT_EQ(params.substr(776, 257), std::string(256, 's') + '\0');
}

TEST_F(Entry, WithoutAModemNoEntryIsMadeAndTheDialFindsNone) {
    conf->SetModem("");
    StartEngine();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "Nenhum modem selecionado.");
    EXPECT_TRUE(Names(machine).empty());
    writeScript("text 623 A entrada n\xC3\xA3o existe.\n");
    RunTo(500);
    dialer->Dial("", "");
    RunTo(20000);
    // The update found no entry to write, silently; the service refused the dial.
    EXPECT_TRUE(sim->Calls("RasSetEntryPropertiesA").empty());
    EXPECT_EQ(lines(),
              (std::vector<Line>{L(500, "Telefone: 0"), L(900, "Discando..."), L(900, "623: A entrada não existe."),
                                 L(900, "Discagem falhou!"), L(900, "Desconectando...")}));
    EXPECT_EQ(boxes().size(), 1u);
    EXPECT_EQ(errorRecords().size(), 1u);
}

TEST_F(Entry, EachDialWritesItsDialStringAndTheModemIntoTheEntry) {
    StartEngine();
    std::string created = Phonebook(machine).at(0).bytes;
    conf->SetDialing(0, 0, 9, false, "*70");
    conf->SetModem("Outro Modem");
    writeScript("dial hang\n");
    dialer->Dial("", "");
    std::string updated = Phonebook(machine).at(0).bytes;
    ASSERT_EQ(updated.size(), 2090u) << "written back with the size it was read with";
    std::string want = created;
    Put(want, 27, std::string("P9,*700") + '\0');
    want.replace(989, 129, std::string(129, '\0'));
    Put(want, 989, "Outro Modem");
    EXPECT_EQ(updated, want);
    EXPECT_EQ(sim->Calls("RasDialA").at(0).Arg("szPhoneNumber"), "P9,*700");
}

TEST_F(Entry, TheDialStringIsPulseOutsideLineCallWaitingAndNumber) {
    StartEngine();
    struct {
        int outside;
        bool tone;
        const char* callWaiting;
        const char* number;
        const char* dial;
    } cases[] = {
        {-1, true, "", "0", "0"},       {9, false, "*70", "0", "P9,*700"},        {0, true, "", "0", "0,0"},
        {-1, true, "*70", "0", "*700"}, {-1, false, "", "33221100", "P33221100"}, {12, true, "#", "", "12,#"},
    };
    for (auto& c : cases) {
        conf->SetDialing(0, 0, c.outside, c.tone, c.callWaiting);
        EXPECT_EQ(dialer->BuildDialString(c.number), c.dial);
    }
}

TEST_F(Entry, TheDialParametersHoldEntryNumberAndAccount) {
    StartEngine();
    writeScript("dial hang\n");
    dialer->Dial("jo\xE3o", "segredo");
    auto dial = sim->Calls("RasDialA");
    ASSERT_EQ(dial.size(), 1u);
    std::string p = dial[0].Buffer("params");
    std::string want(1052, '\0');
    PutDword(want, 0, 1052);
    Put(want, 4, kEntry);
    Put(want, 261, "0");
    Put(want, 519, "jo\xE3o");
    Put(want, 776, "segredo");
    EXPECT_EQ(p, want);
    EXPECT_EQ(dial[0].Arg("dwNotifierType"), "1");
}

TEST_F(Entry, AnyConnectedConnectionIsAdoptedTheFirstConnectedInTheServicesOrder) {
    writeScript("outside Discando state ConnectDevice\noutside Conectada\noutside Terceira\n");
    StartEngine();
    PFN_RasEnumConnectionsA enumConnections = reinterpret_cast<PFN_RasEnumConnectionsA>(
        GetProcAddress(service, "RasEnumConnectionsA"));
    std::vector<RASCONNA> conns(8);
    conns[0].dwSize = sizeof(RASCONNA);
    DWORD size = static_cast<DWORD>(conns.size() * sizeof(RASCONNA)), count = 0;
    ASSERT_EQ(enumConnections(conns.data(), &size, &count), 0u);
    ASSERT_EQ(count, 3u);
    EXPECT_STREQ(conns[1].szEntryName, "Conectada");
    EXPECT_EQ(dialer->ConnectionHandle(), conns[1].hrasconn);
    EXPECT_TRUE(dialer->IsExternal());
}

TEST_F(Entry, ABindingThatFailsIsFatalAndLeavesAnEngineThatDoesNothing) {
    struct {
        const char* what;
        std::string hidden;
        bool removeLibrary;
    } cases[] = {
        {"no library", "", true},
        {"RasGetErrorStringA missing", "RASAPI32.DLL RasGetErrorStringA\n", false},
        {"RasHangUpA missing", "RASAPI32.DLL RasHangUpA\n", false},
        {"RasGetConnectStatusA missing", "RASAPI32.DLL RasGetConnectStatusA\n", false},
        {"RasGetEntryPropertiesA missing", "RASAPI32.DLL RasGetEntryPropertiesA\n", false},
        {"RasSetEntryPropertiesA missing", "RASAPI32.DLL RasSetEntryPropertiesA\n", false},
        {"RasDialA missing", "RASAPI32.DLL RasDialA\n", false},
        {"RasEnumConnectionsA missing", "RASAPI32.DLL RasEnumConnectionsA\n", false},
        {"RasEnumEntriesA missing", "RASAPI32.DLL RasEnumEntriesA\n", false},
        {"RasDeleteEntryA missing", "RASAPI32.DLL RasDeleteEntryA\n", false},
    };
    const AnsiString fatal = Utf8ToAnsi(
        "Não foi possível ler o arquivo RASAPI32.DLL, certifique-se de que o Acesso à Rede Dial-Up esteja "
        "instalado e atualizado.");
    writeScript("outside Vizinho\n");
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        StopEngine();
        Application->ResetTerminated();
        machine.writeMachineFile("hidden-exports.txt", c.hidden);
        if (c.removeLibrary) std::remove(machine.path("RASAPI32.DLL").c_str());
        sim->Reset();
        std::size_t boxesBefore = boxes().size();
        StartEngine();
        ASSERT_EQ(boxes().size(), boxesBefore + 1);
        EXPECT_EQ(boxes().back().text, fatal);
        EXPECT_TRUE(Application->Terminated());
        // The connection that is up is not adopted, nothing is synced, nothing dials.
        dialer->Dial("", "");
        dialer->HangUp(true);
        dialer->DialNow();
        dialer->OnMonitorTimer(nullptr);
        dialer->SyncPhonebookEntry();
        dialer->UpdateEntry("0");
        EXPECT_FALSE(dialer->FindActiveConnection());
        RunTo(Ms() + 3000);
        EXPECT_FALSE(dialer->IsConnected());
        EXPECT_FALSE(dialer->IsDialing());
        EXPECT_FALSE(dialer->IsExternal());
        EXPECT_TRUE(lines().empty());
        EXPECT_TRUE(sim->Calls("RasEnumConnectionsA").empty());
        EXPECT_TRUE(sim->Calls("RasEnumEntriesA").empty());
        EXPECT_EQ(sim->Dials(), 0u);
        // The engine gave its hold on the library back once: the test's own is still there.
        StopEngine();
        EXPECT_NE(GetProcAddress(service, "VynSimControl"), nullptr);
        if (c.removeLibrary) machine.installDialUpService();
    }
    StopEngine();
    Application->ResetTerminated();
}

TEST_F(Entry, AnEngineIsMadeOnlyWithEveryServiceOfItsRecord) {
    struct {
        const char* missing;
        std::function<void(TServices&)> drop;
    } cases[] = {
        {"status log", [](TServices& r) { r.log = nullptr; }},
        {"phone list", [](TServices& r) { r.phones = nullptr; }},
        {"settings", [](TServices& r) { r.conf = nullptr; }},
        {"mail check", [](TServices& r) { r.mail = nullptr; }},
        {"failed-dial log", [](TServices& r) { r.errors = nullptr; }},
        {"connection report", [](TServices& r) { r.report = nullptr; }},
    };
    writeScript("outside Vizinho\n");
    const std::size_t callsBefore = sim->Calls().size();  // the settings' modem list
    for (auto& c : cases) {
        SCOPED_TRACE(c.missing);
        TServices record = services();
        c.drop(record);
        try {
            TDialer engine(record, &window);
            ADD_FAILURE() << "made without the " << c.missing;
        } catch (const std::logic_error& e) {
            EXPECT_EQ(std::string(e.what()), std::string("the services record has no ") + c.missing);
        }
        // Refused before it bound anything: no question, no call to the service.
        EXPECT_TRUE(boxes().empty());
        EXPECT_FALSE(Application->Terminated());
        EXPECT_EQ(sim->Calls().size(), callsBefore);
        EXPECT_TRUE(lines().empty());
    }
}

TEST_F(Entry, WithoutTheAutoDialEntryPointsTheEngineWorks) {
    machine.writeMachineFile("hidden-exports.txt",
                             "RASAPI32.DLL RasGetAutodialAddressA\nRASAPI32.DLL RasSetAutodialAddressA\n");
    StartEngine();
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(dialer->GetAutodialAddressEntry(), nullptr);
    EXPECT_EQ(dialer->SetAutodialAddressEntry(), nullptr);
    EXPECT_EQ(Names(machine), std::vector<AnsiString>{kEntry});
    StopEngine();
    machine.writeMachineFile("hidden-exports.txt", "");
    StartEngine();
    EXPECT_EQ(dialer->GetAutodialAddressEntry(),
              reinterpret_cast<PFN_RasGetAutodialAddressA>(GetProcAddress(service, "RasGetAutodialAddressA")));
    EXPECT_NE(dialer->SetAutodialAddressEntry(), nullptr);
}
