// The simulated service as a whole: error texts, the call log in memory and on disk, the
// dial script's skipped lines, the reset between cases, the system clock and hidden exports.
#include "RasSimFixture.h"

#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace {
const char* kEntry = "Ruvozava Corvala 1.3.0";

std::vector<std::string> fileLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}
}  // namespace

class RasSimService : public RasSim {
protected:
    void SetUp() override {
        RasSim::SetUp();
        createEntry(kEntry);
    }
};

TEST_F(RasSimService, ErrorTextsAndTheirOwnFailures) {
    std::string longText(300, 'x');
    writeScript("text 676 Linha ocupada (simulada).\ntext 5 Acesso negado.\nnotext 678\ntext 629 " + longText + "\n");
    struct {
        UINT code;
        DWORD size;
        DWORD result;
        std::string text;
    } cases[] = {
        {676, 256, ERROR_SUCCESS, "Linha ocupada (simulada)."},
        {691, 256, ERROR_SUCCESS,
         "Acesso negado porque o nome de usu\xE1rio e/ou a senha \xE9 inv\xE1lido no dom\xEDnio."},
        {619, 256, ERROR_SUCCESS, "A porta foi desconectada."},
        {5, 256, ERROR_SUCCESS, "Acesso negado."},
        {678, 256, ERROR_INVALID_PARAMETER, ""},
        {9999, 256, ERROR_INVALID_PARAMETER, ""},
        {87, 256, ERROR_INVALID_PARAMETER, ""},
        {629, 256, ERROR_INSUFFICIENT_BUFFER, ""},
        {629, 301, ERROR_SUCCESS, longText},
        {676, 26, ERROR_SUCCESS, "Linha ocupada (simulada)."},
        {676, 25, ERROR_INSUFFICIENT_BUFFER, ""},
        {750, 256, ERROR_SUCCESS, "Erro 750 do Acesso \xE0 Rede Dial-Up."},
    };
    for (auto& c : cases) {
        std::vector<char> buf(400, 0);
        EXPECT_EQ(RasGetErrorStringA(c.code, buf.data(), c.size), c.result) << c.code << "/" << c.size;
        EXPECT_EQ(std::string(buf.data()), c.text) << c.code << "/" << c.size;
    }
    EXPECT_EQ(RasGetErrorStringA(676, nullptr, 256), ERROR_INVALID_PARAMETER);
}

TEST_F(RasSimService, TheCallLogHoldsWhatTheProgramSentAndWhoNotified) {
    writeScript("dial connect after 1000 states 0\n");
    RASDIALPARAMSA p = Params(kEntry, "P9,*700", "fulano", "s\xE9nha");
    HRASCONN h = 0;
    ASSERT_EQ(RasDialA(nullptr, nullptr, &p, 1, reinterpret_cast<void*>(&Notifier), &h), ERROR_SUCCESS);
    machine.clock.Advance(1000);
    RASCONNSTATUSA st;
    ASSERT_EQ(Status(h, st), ERROR_SUCCESS);
    ASSERT_EQ(RasHangUpA(h), ERROR_SUCCESS);

    auto calls = sim->Calls();
    std::vector<std::string> functions;
    for (auto& c : calls) functions.push_back(c.function);
    EXPECT_EQ(functions, (std::vector<std::string>{"RasSetEntryPropertiesA", "RasDialA", "RasDialFunc1",
                                                   "RasDialFunc1", "RasGetConnectStatusA", "RasHangUpA"}));
    const RasCall& dial = calls[1];
    EXPECT_EQ(dial.Buffer("params"), std::string(reinterpret_cast<char*>(&p), sizeof p));
    EXPECT_EQ(dial.Arg("szEntryName"), kEntry);
    EXPECT_EQ(dial.Arg("szPhoneNumber"), "P9,*700");
    EXPECT_EQ(dial.Arg("szUserName"), "fulano");
    EXPECT_EQ(dial.Arg("szPassword"), "s\xE9nha");
    EXPECT_EQ(dial.Arg("dwNotifierType"), "1");
    EXPECT_EQ(dial.Arg("lpszPhonebook"), "null");
    EXPECT_EQ(dial.Arg("hrasconn"), std::to_string(h));
    EXPECT_EQ(dial.result, ERROR_SUCCESS);
    EXPECT_EQ(calls[3].Arg("rascs"), std::to_string(RASCS_Connected));
    EXPECT_EQ(calls[3].ms, 1000);
    EXPECT_EQ(calls[2].thread, calls[3].thread);
    EXPECT_NE(calls[2].thread, dial.thread);
    EXPECT_EQ(calls[4].thread, dial.thread);
    for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].seq, i + 1);

    // The same on disk, one line each, in order.
    auto lines = fileLines(machine.dir() + "/ras-calls.log");
    ASSERT_EQ(lines.size(), calls.size());
    EXPECT_EQ(lines[1].rfind("2 0 thread=" + std::to_string(dial.thread) + " RasDialA ", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find(" szPassword=\"s\xC3\xA9nha\""), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find(" params=hex:1c040000527576"), std::string::npos) << "dwSize 1052, then the name";
    EXPECT_EQ(lines[1].substr(lines[1].size() - 5), " -> 0");
    EXPECT_NE(lines[3].find("RasDialFunc1 hrasconn=" + std::to_string(h) + " unMsg=52429 rascs=8192 dwError=0"),
              std::string::npos)
        << lines[3];
}

TEST_F(RasSimService, SkippedScriptLinesAreLoggedOnceAndTheRestStillCounts) {
    writeScript(
        "dial connect after 2s speed 44000\n"
        "dial explode\n"
        "dial fail\n"
        "dial connect after soon\n"
        "hangup 100 200\n"
        "outside \"unclosed\n"
        "bogus line\n");
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    RASCONNSTATUSA st;
    ASSERT_EQ(Status(h, st), ERROR_SUCCESS);
    auto skipped = sim->Calls("dial-script");
    std::vector<std::string> why;
    for (auto& c : skipped) why.push_back(c.Arg("skipped"));
    EXPECT_EQ(why, (std::vector<std::string>{"line 2: unknown outcome \"explode\"", "line 3: missing error",
                                             "line 4: bad time \"soon\"", "line 5: too many words",
                                             "line 6: a quote is not closed", "line 7: unknown line \"bogus\""}));
    machine.clock.Advance(2000);
    EXPECT_EQ(Notes().back().state, RASCS_Connected);
    EXPECT_EQ(sim->LineSpeed(), 44000u);
}

TEST_F(RasSimService, AResetForgetsConnectionsNotificationsAndTheLogButNotThePhonebook) {
    writeScript("dial connect after 5000\nhangup 1000\n");
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    machine.clock.Advance(1000);
    std::size_t before = Notes().size();
    auto reset = reinterpret_cast<PFN_VynSimReset>(GetProcAddress(library, "VynSimReset"));
    ASSERT_NE(reset, nullptr);
    EXPECT_EQ(reset(), ERROR_SUCCESS);
    machine.clock.Advance(10000);
    EXPECT_EQ(Notes().size(), before) << "pending notifications dropped";
    EXPECT_TRUE(Connections().empty());
    RASCONNSTATUSA st;
    EXPECT_EQ(Status(h, st), ERROR_INVALID_HANDLE);
    EXPECT_EQ(sim->Dials(), 0u);
    EXPECT_EQ(sim->Calls().front().function, "RasEnumConnectionsA") << "the log starts again";
    EXPECT_EQ(sim->Calls().front().seq, 1u);
    HRASCONN again = 0;
    ASSERT_EQ(DialEntry(kEntry, again), ERROR_SUCCESS) << "the entry is still there";
    EXPECT_EQ(again, h) << "handles start again";
}

TEST_F(RasSimService, UnderTheSystemClockDueNotificationsArriveWithoutAnyAdvance) {
    writeScript("dial connect after 0 states 0,1\n");
    SetClock(nullptr);
    sim->Reset();
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    sim->WaitIdle();
    auto notes = Notes();
    SetClock(&machine.clock);
    sim->Reset();
    std::vector<RASCONNSTATE> got;
    for (auto& n : notes) got.push_back(n.state);
    EXPECT_EQ(got, (std::vector<RASCONNSTATE>{RASCS_OpenPort, RASCS_PortOpened, RASCS_Connected}));
    for (auto& n : notes) EXPECT_NE(n.thread, std::this_thread::get_id());
}

// The service has the program's clock only through the hand-over at load: a clock the
// program puts in force takes over at once, and the one before is let go while it lives.
TEST_F(RasSimService, AClockPutInForceTakesOverAtOnceAndTheOneBeforeIsLetGo) {
    writeScript("dial connect after 2000 states 0\n");
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    sim->WaitIdle();
    std::size_t listening = machine.clock.ListenerCount();
    ASSERT_GE(listening, 1u);
    auto next = std::make_unique<FakeClock>();
    next->Advance(500);
    SetClock(next.get());
    EXPECT_EQ(machine.clock.ListenerCount(), 0u) << "the clock before was let go";
    EXPECT_EQ(next->ListenerCount(), listening);
    machine.clock.Advance(5000);
    EXPECT_EQ(Notes().size(), 1u) << "the clock before moves nothing";
    next->Advance(1500);
    ASSERT_EQ(Notes().size(), 2u);
    EXPECT_EQ(Notes().back().state, RASCS_Connected);
    EXPECT_EQ(sim->Calls("RasDialFunc1").back().ms, 2000) << "on the new clock's reading";

    // Back on the machine's clock, the other one goes: nothing calls it any more.
    SetClock(&machine.clock);
    EXPECT_EQ(next->ListenerCount(), 0u);
    next.reset();
    sim->Reset();
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    machine.clock.Advance(2000);
    EXPECT_EQ(Notes().back().state, RASCS_Connected);
    EXPECT_EQ(Notes().back().ms, machine.clock.MonotonicMs());
}

TEST_F(RasSimService, AHiddenExportIsMissingForThePrograms) {
    machine.writeMachineFile("hidden-exports.txt",
                             "RASAPI32.DLL RasGetConnectionStatistics\nrasapi32.dll RasSetAutodialAddressA\n");
    EXPECT_EQ(GetProcAddress(library, "RasGetConnectionStatistics"), nullptr);
    EXPECT_EQ(GetProcAddress(library, "RasSetAutodialAddressA"), nullptr);
    EXPECT_NE(GetProcAddress(library, "RasGetAutodialAddressA"), nullptr);
}

namespace {
std::vector<RASCONNSTATE> gKeptStates;
void keptNotifier(HRASCONN, UINT, RASCONNSTATE state, DWORD, DWORD) { gKeptStates.push_back(state); }
}  // namespace

// A service kept loaded from one machine to the next follows each machine's clock once
// reset, also when the new clock takes the old one's place in memory.
TEST(RasSimKeptLoaded, FollowsTheNextMachinesClockAfterAReset) {
    HMODULE library = nullptr;
    PFN_VynSimReset reset = nullptr;
    PFN_RasDialA dial = nullptr;
    for (int round = 0; round < 3; ++round) {
        auto machine = std::make_unique<TempMachine>();
        machine->writeMachineFile("dial-script.txt", "dial connect after 2000 states 0\n");
        if (!library) {
            machine->installDialUpService();
            library = LoadLibraryA("RASAPI32.DLL");
            ASSERT_NE(library, nullptr);
            reset = reinterpret_cast<PFN_VynSimReset>(GetProcAddress(library, "VynSimReset"));
            dial = reinterpret_cast<PFN_RasDialA>(GetProcAddress(library, "RasDialA"));
        }
        ASSERT_EQ(reset(), ERROR_SUCCESS);
        gKeptStates.clear();
        RASDIALPARAMSA p{};
        p.dwSize = sizeof p;
        std::strcpy(p.szPhoneNumber, "0");
        HRASCONN h = 0;
        ASSERT_EQ(dial(nullptr, nullptr, &p, 1, reinterpret_cast<void*>(&keptNotifier), &h), ERROR_SUCCESS);
        machine->clock.Advance(2000);
        EXPECT_EQ(gKeptStates, (std::vector<RASCONNSTATE>{RASCS_OpenPort, RASCS_Connected})) << "round " << round;
        if (round == 2) FreeLibrary(library);  // while its clock is still in force
    }
}
