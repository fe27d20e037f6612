#include "support/TestFiles.h"
// The connections the simulated service shows: the argument checks of the dial and the
// state queries, outside connections appearing and going, and the line's figures.
#include "RasSimFixture.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
const char* kEntry = "Ruvozava Corvala 1.3.0";

}  // namespace

class RasSimConnections : public RasSim {
protected:
    void SetUp() override {
        RasSim::SetUp();
        createEntry(kEntry);
    }
    std::vector<std::string> entryNames() {
        std::vector<std::string> out;
        for (auto& c : Connections()) out.push_back(c.szEntryName);
        return out;
    }
};

TEST_F(RasSimConnections, ADialIsRefusedForBadArgumentsWithoutTakingARule) {
    auto notifier = reinterpret_cast<void*>(&Notifier);
    struct {
        const char* name;
        std::function<void(RASDIALPARAMSA&)> change;
        const char* phonebook;
        DWORD notifierType;
        void* notifierFn;
        HRASCONN handleIn;
        DWORD result;
    } cases[] = {
        {"record of another size", [](RASDIALPARAMSA& p) { p.dwSize = 1060; }, nullptr, 1, notifier, 0,
         ERROR_INVALID_SIZE},
        {"user name without its zero", [](RASDIALPARAMSA& p) { std::memset(p.szUserName, 'u', sizeof p.szUserName); },
         nullptr, 1, notifier, 0, ERROR_INVALID_PARAMETER},
        {"phone number without its zero",
         [](RASDIALPARAMSA& p) { std::memset(p.szPhoneNumber, '9', sizeof p.szPhoneNumber); }, nullptr, 1, notifier,
         0, ERROR_INVALID_PARAMETER},
        {"notifier of type 0", [](RASDIALPARAMSA&) {}, nullptr, 0, notifier, 0, ERROR_INVALID_PARAMETER},
        {"notifier of type 2", [](RASDIALPARAMSA&) {}, nullptr, 2, notifier, 0, ERROR_INVALID_PARAMETER},
        {"no notifier", [](RASDIALPARAMSA&) {}, nullptr, 1, nullptr, 0, ERROR_INVALID_PARAMETER},
        {"another phonebook", [](RASDIALPARAMSA&) {}, "C:\\x.pbk", 1, notifier, 0, ERROR_CANNOT_OPEN_PHONEBOOK},
        {"handle not cleared", [](RASDIALPARAMSA&) {}, nullptr, 1, notifier, 0x10001, ERROR_INVALID_HANDLE},
        {"entry missing", [](RASDIALPARAMSA& p) { std::strcpy(p.szEntryName, "Ruvozava Corvala 1.2.9"); }, nullptr, 1,
         notifier, 0, ERROR_CANNOT_FIND_PHONEBOOK_ENTRY},
    };
    for (auto& c : cases) {
        RASDIALPARAMSA p = Params(kEntry);
        c.change(p);
        HRASCONN h = c.handleIn;
        EXPECT_EQ(RasDialA(nullptr, c.phonebook, &p, c.notifierType, c.notifierFn, &h), c.result) << c.name;
        EXPECT_EQ(h, c.handleIn) << c.name;
    }
    RASDIALPARAMSA p = Params(kEntry);
    HRASCONN h = 0;
    EXPECT_EQ(RasDialA(nullptr, nullptr, nullptr, 1, notifier, &h), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RasDialA(nullptr, nullptr, &p, 1, notifier, nullptr), ERROR_INVALID_PARAMETER);
    machine.clock.Advance(10000);
    EXPECT_TRUE(Notes().empty());
    EXPECT_TRUE(Connections().empty());
    EXPECT_EQ(sim->Dials(), 0u);

    // A dial without an entry takes the first installed modem.
    p = Params("", "3003-3003");
    ASSERT_EQ(RasDialA(nullptr, nullptr, &p, 1, notifier, &h), ERROR_SUCCESS);
    RASCONNSTATUSA st;
    ASSERT_EQ(Status(h, st), ERROR_SUCCESS);
    EXPECT_STREQ(st.szDeviceName, "Modem Padr\xE3o 56K");
}

TEST_F(RasSimConnections, StatusAndStatisticsCheckRecordAndHandle) {
    writeScript("dial connect after 2000 speed 33600\n");
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    RASCONNSTATUSA st{};
    st.dwSize = 164;
    EXPECT_EQ(RasGetConnectStatusA(h, &st), ERROR_INVALID_SIZE);
    EXPECT_EQ(RasGetConnectStatusA(h, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Status(0, st), ERROR_INVALID_HANDLE) << "no handle yet";
    EXPECT_EQ(Status(h + 1, st), ERROR_INVALID_HANDLE);

    RAS_STATS stats{};
    stats.dwSize = 56;
    EXPECT_EQ(RasGetConnectionStatistics(h, &stats), ERROR_INVALID_SIZE);
    EXPECT_EQ(RasGetConnectionStatistics(h, nullptr), ERROR_INVALID_PARAMETER);
    stats.dwSize = sizeof stats;
    EXPECT_EQ(RasGetConnectionStatistics(0, &stats), ERROR_INVALID_HANDLE);
    stats.dwBps = 1;
    ASSERT_EQ(RasGetConnectionStatistics(h, &stats), ERROR_SUCCESS);
    EXPECT_EQ(stats.dwBps, 0u) << "no speed before it connects";
    machine.clock.Advance(2000);
    ASSERT_EQ(RasGetConnectionStatistics(h, &stats), ERROR_SUCCESS);
    EXPECT_EQ(stats.dwSize, sizeof(RAS_STATS));
    EXPECT_EQ(stats.dwBps, 33600u);
    EXPECT_EQ(stats.dwConnectDuration, 0u);
    EXPECT_EQ(sim->Calls("RasGetConnectionStatistics").back().Arg("dwBps"), "33600");

    // The speed for the other platform's counters: the export and the machine file.
    auto lineSpeed = reinterpret_cast<PFN_VynSimLineSpeed>(GetProcAddress(library, "VynSimLineSpeed"));
    ASSERT_NE(lineSpeed, nullptr);
    EXPECT_EQ(lineSpeed(), 33600u);
    EXPECT_EQ(ReadFileBytes(machine.dir() + "/line-speed.txt"), "33600\n");
    ASSERT_EQ(RasHangUpA(h), ERROR_SUCCESS);
    EXPECT_EQ(lineSpeed(), 0u);
    EXPECT_EQ(ReadFileBytes(machine.dir() + "/line-speed.txt"), "0\n");
    EXPECT_EQ(RasGetConnectionStatistics(h, &stats), ERROR_INVALID_HANDLE) << "a closed connection";
}

TEST_F(RasSimConnections, EnumerationTellsTheSizeNeededThenListsTheConnectionsInTheOrderTheyBegan) {
    createEntry("Outra", "Outro Modem");
    writeScript("outside \"Conex\xC3\xA3o do vizinho\" at 500 device isdn \"RDSI Interna\"\n");
    HRASCONN first = 0, second = 0;
    ASSERT_EQ(DialEntry(kEntry, first), ERROR_SUCCESS);
    machine.clock.Advance(1000);
    ASSERT_EQ(DialEntry("Outra", second), ERROR_SUCCESS);
    struct {
        const char* name;
        std::size_t records;
        DWORD firstSize, cb;
        DWORD result, cbAfter, countAfter;
    } cases[] = {
        {"size query", 0, 0, 0, ERROR_BUFFER_TOO_SMALL, 1236, 3},
        {"two records for three", 2, 412, 824, ERROR_BUFFER_TOO_SMALL, 1236, 3},
        {"the programs' 100 records", 100, 412, 41200, ERROR_SUCCESS, 1236, 3},
        {"record of another size", 3, 416, 1236, ERROR_INVALID_SIZE, 1236, 99},
    };
    for (auto& c : cases) {
        std::vector<RASCONNA> buf(c.records ? c.records : 1);
        buf[0].dwSize = c.firstSize;
        DWORD cb = c.cb, count = 99;
        EXPECT_EQ(RasEnumConnectionsA(c.records ? buf.data() : nullptr, &cb, &count), c.result) << c.name;
        EXPECT_EQ(cb, c.cbAfter) << c.name;
        EXPECT_EQ(count, c.countAfter) << c.name;
    }
    auto all = Connections();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].hrasconn, first);
    EXPECT_STREQ(all[1].szEntryName, "Conex\xE3o do vizinho");
    EXPECT_STREQ(all[1].szDeviceType, "isdn");
    EXPECT_STREQ(all[1].szDeviceName, "RDSI Interna");
    EXPECT_EQ(all[2].hrasconn, second);
    EXPECT_STREQ(all[2].szDeviceName, "Outro Modem");
    for (auto& c : all) EXPECT_EQ(c.dwSize, sizeof(RASCONNA));
    DWORD cb = 0, count = 0;
    EXPECT_EQ(RasEnumConnectionsA(nullptr, nullptr, &count), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RasEnumConnectionsA(nullptr, &cb, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RasSimConnections, OutsideConnectionsAppearAndGoAtTheirTimes) {
    writeScript(
        "outside \"Provedor B\" at 5s until 20s speed 33600\n"
        "outside \"Provedor C\" at 0 state ConnectDevice\n"
        "hangup 1500\n");
    struct {
        int64_t at;
        std::vector<std::string> listed;
        DWORD speed;
    } moments[] = {
        {0, {"Provedor C"}, 0},
        {4999, {"Provedor C"}, 0},
        {5000, {"Provedor C", "Provedor B"}, 33600},
        {19999, {"Provedor C", "Provedor B"}, 33600},
        {20000, {"Provedor C"}, 0},
    };
    HRASCONN b = 0;
    for (auto& m : moments) {
        machine.clock.Advance(m.at - machine.clock.MonotonicMs());
        EXPECT_EQ(entryNames(), m.listed) << "at " << m.at;
        EXPECT_EQ(sim->LineSpeed(), m.speed) << "at " << m.at;
        if (m.at == 5000) {
            b = Connections()[1].hrasconn;
            RASCONNSTATUSA st;
            ASSERT_EQ(Status(b, st), ERROR_SUCCESS);
            EXPECT_EQ(st.rasconnstate, RASCS_Connected);
            RASCONNSTATUSA dialling;
            ASSERT_EQ(Status(Connections()[0].hrasconn, dialling), ERROR_SUCCESS);
            EXPECT_EQ(dialling.rasconnstate, RASCS_ConnectDevice);
        }
        if (m.at == 19999) {
            RAS_STATS stats{};
            stats.dwSize = sizeof stats;
            ASSERT_EQ(RasGetConnectionStatistics(b, &stats), ERROR_SUCCESS);
            EXPECT_EQ(stats.dwBps, 33600u);
            EXPECT_EQ(stats.dwConnectDuration, 14999u);
        }
    }
    RASCONNSTATUSA st;
    EXPECT_EQ(Status(b, st), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RasHangUpA(b), ERROR_INVALID_HANDLE);

    // An outside connection the program hangs up goes after the hang-up's duration and does
    // not come back.
    HRASCONN c = Connections()[0].hrasconn;
    ASSERT_EQ(RasHangUpA(c), ERROR_SUCCESS);
    machine.clock.Advance(1499);
    EXPECT_EQ(Status(c, st), ERROR_SUCCESS);
    machine.clock.Advance(1);
    EXPECT_EQ(Status(c, st), ERROR_INVALID_HANDLE);
    machine.clock.Advance(100000);
    EXPECT_TRUE(Connections().empty());
}

TEST_F(RasSimConnections, OutsideTimesCountFromTheReset) {
    machine.clock.Advance(60000);
    writeScript("outside \"Provedor B\" at 1000\n");
    EXPECT_EQ(entryNames(), std::vector<std::string>{"Provedor B"}) << "the service started at 0";
    sim->Reset();
    EXPECT_TRUE(Connections().empty());
    machine.clock.Advance(1000);
    EXPECT_EQ(entryNames(), std::vector<std::string>{"Provedor B"});
}

TEST_F(RasSimConnections, TheFirstLookWritesTheLineSpeedOnlyWhenTheFileSaysOtherwise) {
    // The service of this process has published nothing yet; with no connection its speed is 0.
    struct {
        const char* file;  // nullptr: none
        const char* after;
    } cases[] = {{nullptr, nullptr}, {"0\n", "0\n"}, {"52000\n", "0\n"}};
    const std::string path = machine.dir() + "/line-speed.txt";
    for (const auto& c : cases) {
        std::filesystem::remove(path);
        if (c.file) machine.writeMachineFile("line-speed.txt", c.file);
        sim->Reset();
        ASSERT_TRUE(Connections().empty());
        EXPECT_EQ(std::filesystem::exists(path), c.after != nullptr) << (c.file ? c.file : "none");
        if (c.after) {
            EXPECT_EQ(ReadFileBytes(path), c.after) << c.file;
        }
    }
}
