#include "connection/Perf.h"
#include "settings/Log.h"

#include "platform/Library.h"
#include "platform/registry/RegistryStore.h"
#include "platform/rassim/RasSimControl.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failures: the key, the value name and the bytes read.
void PrintTo(const DynDataRead& r, std::ostream* os) { *os << r.key << " | " << r.value << " | " << r.bytes; }

namespace {
const AnsiString kNoStatistics =
    "Não foi possível ler o arquivo RASAPI32.DLL, certifique-se de que o Acesso à Rede Dial-Up esteja "
    "instalado."_a;
const AnsiString kCounter = "Dial-Up Adapter\\ConnectSpeed";

// A status log of its own for one case, as the engine hands it on.
struct LoggerScope {
    TLogger log;
    TServices services() { return {.log = &log}; }
};

// One network adapter class key of Windows 9x.
std::string Adapter(const char* index, const char* adapterName, const char* description) {
    return std::string("[HKLM\\System\\CurrentControlSet\\Services\\Class\\Net\\") + index + "]\n" +
           "\"AdapterName\" = REG_SZ \"" + adapterName + "\"\n" + "\"DriverDesc\" = REG_SZ \"" + description + "\"\n";
}

// The counter `name` under each of the three statistics keys; "" leaves one out.
std::string Counters(const std::string& name, const std::string& start, const std::string& data,
                     const std::string& stop) {
    std::string seed;
    auto one = [&](const char* key, const std::string& value) {
        if (!value.empty()) seed += std::string("[HKDD\\PerfStats\\") + key + "]\n\"" + name + "\" = " + value + "\n";
    };
    one("StartStat", start);
    one("StatData", data);
    one("StopStat", stop);
    return seed;
}

DynDataRead Start(const AnsiString& v, std::size_t n = 4) { return {"PerfStats\\StartStat", v, n}; }
DynDataRead Data(const AnsiString& v, std::size_t n = 4) { return {"PerfStats\\StatData", v, n}; }
DynDataRead Stop(const AnsiString& v, std::size_t n = 4) { return {"PerfStats\\StopStat", v, n}; }
}  // namespace

TEST(Perf, Windows9xReadsTheDialUpAdaptersCounterStartReadStop) {
    const std::string kDialUp = "Dial-Up Adapter\\\\ConnectSpeed";  // in seed form
    const std::string kZero = "REG_BINARY 00 00 00 00";
    const std::string k52000 = "REG_BINARY 20 CB 00 00";
    const std::string kOthers = Adapter("0000", "NE2000", "NE2000 Compatible") +
                                Adapter("0001", "ms$ppp", "Lower Case Adapter") +
                                Adapter("0002", "MS$PPP ", "Trailing Blank Adapter");
    struct {
        const char* name;
        const char* windows;
        std::string seed;
        DWORD speed;
        std::vector<DynDataRead> reads;
    } cases[] = {
        {"adapter under 0003 after three others",
         "98",
         kOthers + Adapter("0003", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, k52000, kZero),
         52000,
         {Start(kCounter), Data(kCounter), Stop(kCounter)}},
        {"Windows 95 and Me read the same way",
         "95",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, k52000, kZero),
         52000,
         {Start(kCounter), Data(kCounter), Stop(kCounter)}},
        {"Me",
         "Me",
         Adapter("0009", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, k52000, kZero),
         52000,
         {Start(kCounter), Data(kCounter), Stop(kCounter)}},
        {"the lowest index wins; the counter is named by its DriverDesc",
         "98",
         Adapter("0002", "MS$PPP", "First PPP") + Adapter("0004", "MS$PPP", "Dial-Up Adapter") +
             Counters("First PPP\\\\ConnectSpeed", kZero, "REG_BINARY FF FF FF FF", kZero) +
             Counters(kDialUp, kZero, k52000, kZero),
         4294967295u,
         {Start("First PPP\\ConnectSpeed"), Data("First PPP\\ConnectSpeed"), Stop("First PPP\\ConnectSpeed")}},
        {"adapter only under 0010: no reader",
         "98",
         Adapter("0010", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, k52000, kZero),
         0,
         {}},
        {"no adapter keys at all", "98", Counters(kDialUp, kZero, k52000, kZero), 0, {}},
        {"a value of two bytes fills the low bytes",
         "98",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, "REG_BINARY E8 03", kZero),
         1000,
         {Start(kCounter), Data(kCounter, 2), Stop(kCounter)}},
        {"no counter under StartStat: not started, still stopped",
         "98",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, "", k52000, kZero),
         0,
         {Stop(kCounter)}},
        {"a start value of no data starts nothing",
         "98",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, "REG_BINARY hex:", k52000, kZero),
         0,
         {Stop(kCounter)}},
        {"a start value that is not binary is a failed read",
         "98",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, "REG_DWORD 0", k52000, kZero),
         0,
         {Stop(kCounter)}},
        {"no counter under StatData",
         "98",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, "", kZero),
         0,
         {Start(kCounter), Stop(kCounter)}},
        {"a counter value that is text is a failed read",
         "98",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, "REG_SZ \"52000\"", kZero),
         0,
         {Start(kCounter), Stop(kCounter)}},
        {"a counter value that is a REG_DWORD is a failed read",
         "98",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, "REG_DWORD 52000", kZero),
         0,
         {Start(kCounter), Stop(kCounter)}},
        {"a counter value longer than 4 bytes is a failed read",
         "98",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, "REG_BINARY 20 CB 00 00 00", kZero),
         0,
         {Start(kCounter), Stop(kCounter)}},
        {"a stop value that is not binary is left alone",
         "98",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, k52000, "REG_SZ \"x\""),
         52000,
         {Start(kCounter), Data(kCounter)}},
        {"Windows NT 4 has no reader",
         "NT4",
         Adapter("0000", "MS$PPP", "Dial-Up Adapter") + Counters(kDialUp, kZero, k52000, kZero),
         0,
         {}},
    };
    for (const auto& c : cases) {
        TempMachine m;
        LoggerScope log;
        m.writeMachineFile("windows.txt", c.windows);
        SeedRegistry(c.seed);
        DWORD speed;
        {
            TPerf perf(log.services());
            speed = perf.GetSpeed(77);
        }
        EXPECT_EQ(speed, c.speed) << c.name;
        EXPECT_EQ(DynDataReads(), c.reads) << c.name;
        EXPECT_TRUE(log.log.Lines().empty()) << c.name;
    }
}

TEST(Perf, AFailedCounterReadTurnsTheReaderOffForGood) {
    TempMachine m;
    m.writeMachineFile("windows.txt", "98");
    SeedRegistry(Adapter("0000", "MS$PPP", "Dial-Up Adapter") +
                 Counters("Dial-Up Adapter\\\\ConnectSpeed", "REG_BINARY 00", "", "REG_BINARY 00"));
    TPerf perf{TServices()};  // the 9x reader uses no service
    EXPECT_EQ(perf.GetSpeed(0), 0u);
    SetMachineRegistryValue(RegRoot::DynData, "PerfStats\\StatData", kCounter, REG_BINARY,
                            std::string("\x10\x27\0\0", 4));
    EXPECT_EQ(perf.GetSpeed(0), 0u);
    EXPECT_EQ(DynDataReads(), (std::vector<DynDataRead>{Start(kCounter, 1)}));
}

TEST(Perf, Windows2000AndXpWithoutTheStatisticsEntryPoint) {
    struct {
        const char* name;
        const char* windows;
        bool service;
        bool hidden;
        std::vector<AnsiString> lines;
    } cases[] = {
        {"XP, entry point hidden", "XP", true, true, {kNoStatistics}},
        {"2000, entry point hidden", "2000", true, true, {kNoStatistics}},
        {"XP without the service: silent", "XP", false, false, {}},
        {"NT 4 lacks the entry point but asks for no reader", "NT4", true, false, {}},
    };
    for (const auto& c : cases) {
        TempMachine m;
        LoggerScope log;
        m.writeMachineFile("windows.txt", c.windows);
        if (c.service) m.installDialUpService();
        if (c.hidden) m.writeMachineFile("hidden-exports.txt", "RASAPI32.DLL RasGetConnectionStatistics\n");
        // A reference of our own shows whether the reader gave back only its own.
        HMODULE held = c.service ? LoadLibraryA("RASAPI32.DLL") : nullptr;
        {
            TPerf perf(log.services());
            EXPECT_EQ(perf.GetSpeed(1), 0u) << c.name;
        }
        EXPECT_EQ(log.log.Lines(), c.lines) << c.name;
        if (held) {
            EXPECT_NE(GetProcAddress(held, "RasEnumDevicesA"), nullptr) << c.name;
            EXPECT_TRUE(FreeLibrary(held)) << c.name;
            EXPECT_FALSE(FreeLibrary(held)) << c.name;
        }
    }
}

TEST(Perf, Windows2000AndXpAskTheServiceForTheConnectionsStatistics) {
    struct {
        const char* name;
        const char* windows;
        std::string script;
        int64_t advance;  // ms on the clock before the reading
        bool bogusHandle;
        DWORD speed;
    } cases[] = {
        {"XP, a connection at 52000", "XP", "outside \"Ruvozava Corvala 1.3.0\"\n", 1000, false, 52000},
        {"2000, a connection at 28800", "2000", "outside \"Ruvozava Corvala 1.3.0\" speed 28800\n", 1000, false,
         28800},
        {"the highest speed", "XP", "outside \"Ruvozava Corvala 1.3.0\" speed 4294967295\n", 1000, false,
         4294967295u},
        {"a connection already closed", "XP", "outside \"Ruvozava Corvala 1.3.0\" until 2s\n", 3000, false, 0},
        {"a handle the service does not know", "XP", "outside \"Ruvozava Corvala 1.3.0\"\n", 1000, true, 0},
        {"NT 4 asks nothing", "NT4", "outside \"Ruvozava Corvala 1.3.0\"\n", 1000, false, 0},
    };
    for (const auto& c : cases) {
        TempMachine m;
        LoggerScope log;
        m.writeMachineFile("windows.txt", c.windows);
        m.writeMachineFile("dial-script.txt", c.script);
        m.installDialUpService();
        HMODULE ras = LoadLibraryA("RASAPI32.DLL");
        ASSERT_NE(ras, nullptr) << c.name;
        auto reset = reinterpret_cast<PFN_VynSimReset>(GetProcAddress(ras, "VynSimReset"));
        auto enumConnections = reinterpret_cast<PFN_RasEnumConnectionsA>(GetProcAddress(ras, "RasEnumConnectionsA"));
        auto control = reinterpret_cast<PFN_VynSimControl>(GetProcAddress(ras, "VynSimControl"));
        ASSERT_TRUE(reset && enumConnections && control) << c.name;
        reset();
        m.clock.Advance(1);
        RASCONNA conns[4] = {};
        conns[0].dwSize = sizeof(RASCONNA);
        DWORD size = sizeof conns, count = 0;
        ASSERT_EQ(enumConnections(conns, &size, &count), ERROR_SUCCESS) << c.name;
        ASSERT_EQ(count, 1u) << c.name;
        HRASCONN handle = c.bogusHandle ? conns[0].hrasconn + 100 : conns[0].hrasconn;
        m.clock.Advance(c.advance - 1);
        {
            TPerf perf(log.services());
            EXPECT_EQ(perf.GetSpeed(handle), c.speed) << c.name;
        }
        // One call, with the 60-byte record.
        std::vector<RasCall> calls = control()->Calls("RasGetConnectionStatistics");
        ASSERT_EQ(calls.size(), std::string(c.windows) == "NT4" ? 0u : 1u) << c.name;
        if (!calls.empty()) {
            EXPECT_EQ(calls[0].Arg("dwSize"), "60") << c.name;
        }
        EXPECT_TRUE(log.log.Lines().empty()) << c.name;
        EXPECT_TRUE(DynDataReads().empty()) << c.name;
        FreeLibrary(ras);
    }
}

TEST(Perf, Windows98ReadsTheSpeedTheServicePublishes) {
    TempMachine m;
    LoggerScope log;
    m.writeMachineFile("windows.txt", "98");
    m.writeMachineFile("dial-script.txt", "outside \"Ruvozava Corvala 1.3.0\" speed 33600\n");
    SeedRegistry(Adapter("0000", "NE2000", "NE2000 Compatible") + Adapter("0001", "MS$PPP", "Dial-Up Adapter"));
    m.installDialUpService();
    HMODULE ras = LoadLibraryA("RASAPI32.DLL");
    ASSERT_NE(ras, nullptr);
    auto reset = reinterpret_cast<PFN_VynSimReset>(GetProcAddress(ras, "VynSimReset"));
    auto enumConnections = reinterpret_cast<PFN_RasEnumConnectionsA>(GetProcAddress(ras, "RasEnumConnectionsA"));
    ASSERT_TRUE(reset && enumConnections);
    reset();
    m.clock.Advance(1000);
    RASCONNA conns[4] = {};
    conns[0].dwSize = sizeof(RASCONNA);
    DWORD size = sizeof conns, count = 0;
    ASSERT_EQ(enumConnections(conns, &size, &count), ERROR_SUCCESS);
    ASSERT_EQ(count, 1u);
    {
        TPerf perf(log.services());
        EXPECT_EQ(perf.GetSpeed(conns[0].hrasconn), 33600u);
    }
    EXPECT_EQ(DynDataReads(), (std::vector<DynDataRead>{Start(kCounter), Data(kCounter), Stop(kCounter)}));
    FreeLibrary(ras);
}
