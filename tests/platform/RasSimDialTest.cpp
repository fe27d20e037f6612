// Dials driven by the dial script, on the fake clock: what the notifier receives, when and
// on which thread, and what the connection looks like meanwhile.
#include "RasSimFixture.h"

#include <chrono>
#include <cstring>

namespace {
const char* kEntry = "Ruvozava Corvala 1.3.0";

// The bound on real time for a scenario of minutes on the fake clock. The sanitizers make
// each of the clock's steps many times slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int64_t kRealTimeBoundMs = 10000;
#else
constexpr int64_t kRealTimeBoundMs = 1000;
#endif

std::vector<RASCONNSTATE> states(const std::vector<Note>& notes) {
    std::vector<RASCONNSTATE> out;
    for (auto& n : notes) out.push_back(n.state);
    return out;
}
}  // namespace

class RasSimDial : public RasSim {
protected:
    void SetUp() override {
        RasSim::SetUp();
        createEntry(kEntry);
    }
};

TEST_F(RasSimDial, ConnectDeliversTheStatesInOrderOnTheServiceThreadAtTheirTimes) {
    writeScript("dial connect after 4000 states OpenPort,1,ConnectDevice,5,14 speed 48000\n");
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    ASSERT_NE(h, 0u);
    // Moment by moment: what has arrived once Advance returns, and the state shown.
    struct {
        int64_t advanceTo;
        std::size_t notes;
        RASCONNSTATE shown;
    } steps[] = {
        {0, 1, RASCS_OpenPort},         {799, 1, RASCS_OpenPort},      {800, 2, RASCS_PortOpened},
        {2399, 3, RASCS_ConnectDevice}, {2400, 4, RASCS_Authenticate}, {3999, 5, RASCS_Authenticated},
        {4000, 6, RASCS_Connected},     {60000, 6, RASCS_Connected},
    };
    for (auto& s : steps) {
        machine.clock.Advance(s.advanceTo - machine.clock.MonotonicMs());
        if (s.advanceTo == 0) sim->WaitIdle();  // nothing advanced: the first state is due at once
        EXPECT_EQ(Notes().size(), s.notes) << "at " << s.advanceTo;
        RASCONNSTATUSA st;
        ASSERT_EQ(Status(h, st), ERROR_SUCCESS);
        EXPECT_EQ(st.rasconnstate, s.shown) << "at " << s.advanceTo;
        EXPECT_EQ(st.dwError, 0u);
        EXPECT_STREQ(st.szDeviceType, "modem");
        EXPECT_STREQ(st.szDeviceName, "Modem Padr\xE3o 56K");
    }
    std::vector<Note> notes = Notes();
    std::vector<RASCONNSTATE> want = {RASCS_OpenPort,     RASCS_PortOpened,    RASCS_ConnectDevice,
                                      RASCS_Authenticate, RASCS_Authenticated, RASCS_Connected};
    EXPECT_EQ(states(notes), want);
    int64_t at[] = {0, 800, 1600, 2400, 3200, 4000};
    for (std::size_t i = 0; i < notes.size(); ++i) {
        EXPECT_EQ(notes[i].ms, at[i]) << i;
        EXPECT_EQ(notes[i].handle, h);
        EXPECT_EQ(notes[i].msg, WM_RASDIALEVENT);
        EXPECT_EQ(notes[i].error, 0u);
        EXPECT_NE(notes[i].thread, std::this_thread::get_id()) << "delivered on the caller's thread";
        EXPECT_EQ(notes[i].thread, notes[0].thread) << "one service thread";
    }
    // What the dial call itself logged, and that no notification ran inside it.
    auto calls = sim->Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].function, "RasSetEntryPropertiesA");
    auto dial = sim->Calls("RasDialA");
    ASSERT_EQ(dial.size(), 1u);
    EXPECT_EQ(dial[0].result, ERROR_SUCCESS);
    EXPECT_EQ(dial[0].Arg("hrasconn"), std::to_string(h));
    for (auto& c : sim->Calls("RasDialFunc1")) {
        EXPECT_GT(c.seq, dial[0].seq);
        EXPECT_NE(c.thread, dial[0].thread);
    }
}

TEST_F(RasSimDial, FailuresArriveAtTheirStateWithTheirErrorAndTheConnectionStaysUntilHungUp) {
    struct {
        const char* script;
        std::vector<RASCONNSTATE> states;  // all notifications, the failing one last
        DWORD error, extended;
        int64_t failAt;
    } cases[] = {
        {"dial fail 676 after 3000", {RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice}, 676, 0, 3000},
        {"dial fail 678 at ConnectDevice after 45000 states none", {RASCS_ConnectDevice}, 678, 0, 45000},
        {"dial fail 691 at Authenticate after 10000",
         {RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice, RASCS_DeviceConnected, RASCS_AllDevicesConnected,
          RASCS_Authenticate},
         691,
         0,
         10000},
        {"dial fail 680 at 2 after 500 states 0 ext 17", {RASCS_OpenPort, RASCS_ConnectDevice}, 680, 17, 500},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.script);
        sim->Reset();
        writeScript(std::string(c.script) + "\n");
        int64_t start = machine.clock.MonotonicMs();
        std::size_t before = Notes().size();
        HRASCONN h = 0;
        ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
        machine.clock.Advance(c.failAt - 1);
        EXPECT_EQ(Notes().size() - before, c.states.size() - 1) << "the failure came early";
        machine.clock.Advance(120000);
        std::vector<Note> notes = Notes();
        notes.erase(notes.begin(), notes.begin() + static_cast<long>(before));
        EXPECT_EQ(states(notes), c.states);
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ(notes.back().error, c.error);
        EXPECT_EQ(notes.back().extendedError, c.extended);
        EXPECT_EQ(notes.back().ms - start, c.failAt);
        for (std::size_t i = 0; i + 1 < notes.size(); ++i) EXPECT_EQ(notes[i].error, 0u);
        RASCONNSTATUSA st;
        ASSERT_EQ(Status(h, st), ERROR_SUCCESS) << "a failed dial keeps its handle until hung up";
        EXPECT_EQ(st.rasconnstate, c.states.back());
        EXPECT_EQ(st.dwError, c.error);
        EXPECT_EQ(RasHangUpA(h), ERROR_SUCCESS);
        EXPECT_EQ(Status(h, st), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RasHangUpA(h), ERROR_INVALID_HANDLE);
    }
}

TEST_F(RasSimDial, AHangingDialSaysNothingMoreAndStaysInItsLastState) {
    writeScript("dial hang after 3000 states 0,1,2\n");
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    machine.clock.Advance(600000);
    EXPECT_EQ(states(Notes()), (std::vector<RASCONNSTATE>{RASCS_OpenPort, RASCS_PortOpened, RASCS_ConnectDevice}));
    RASCONNSTATUSA st;
    ASSERT_EQ(Status(h, st), ERROR_SUCCESS);
    EXPECT_EQ(st.rasconnstate, RASCS_ConnectDevice);
    EXPECT_EQ(Connections().size(), 1u);
    EXPECT_EQ(RasHangUpA(h), ERROR_SUCCESS);
    machine.clock.Advance(60000);
    EXPECT_EQ(Notes().size(), 3u);
    EXPECT_TRUE(Connections().empty());
}

TEST_F(RasSimDial, ARefusedDialFailsInTheCallWithOrWithoutAHandle) {
    writeScript("dial refuse 633\ndial refuse 608 handle\n");
    HRASCONN h = 0;
    EXPECT_EQ(DialEntry(kEntry, h), ERROR_PORT_NOT_AVAILABLE);
    EXPECT_EQ(h, 0u);
    EXPECT_TRUE(Connections().empty());

    EXPECT_EQ(DialEntry(kEntry, h), ERROR_DEVICE_DOES_NOT_EXIST);
    ASSERT_NE(h, 0u);
    RASCONNSTATUSA st;
    ASSERT_EQ(Status(h, st), ERROR_SUCCESS);
    EXPECT_EQ(st.rasconnstate, RASCS_OpenPort);
    EXPECT_EQ(st.dwError, ERROR_DEVICE_DOES_NOT_EXIST);
    machine.clock.Advance(10000);
    EXPECT_TRUE(Notes().empty());
    EXPECT_EQ(RasHangUpA(h), ERROR_SUCCESS);
    EXPECT_EQ(Status(h, st), ERROR_INVALID_HANDLE);
    EXPECT_EQ(sim->Dials(), 2u);
}

TEST_F(RasSimDial, ALineDropEitherRemovesTheConnectionOrShowsItDisconnected) {
    struct {
        const char* script;
        bool stays;
        DWORD error;
    } cases[] = {
        {"dial connect after 1000 drop 5000", false, 0},
        {"dial connect after 1000 drop 5000 gone", false, 0},
        {"dial connect after 1000 drop 5000 disconnected", true, ERROR_PORT_DISCONNECTED},
        {"dial connect after 1000 drop 5s disconnected error 629", true, ERROR_REMOTE_DISCONNECTION},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.script);
        sim->Reset();
        writeScript(std::string(c.script) + "\n");
        HRASCONN h = 0;
        ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
        machine.clock.Advance(5999);
        std::size_t before = Notes().size();
        RASCONNSTATUSA st;
        ASSERT_EQ(Status(h, st), ERROR_SUCCESS);
        EXPECT_EQ(st.rasconnstate, RASCS_Connected);
        EXPECT_EQ(sim->LineSpeed(), 52000u);
        machine.clock.Advance(1);
        EXPECT_EQ(Notes().size(), before) << "a drop is not notified";
        EXPECT_EQ(sim->LineSpeed(), 0u);
        RAS_STATS stats{};
        stats.dwSize = sizeof stats;
        if (c.stays) {
            ASSERT_EQ(Status(h, st), ERROR_SUCCESS);
            EXPECT_EQ(st.rasconnstate, RASCS_Disconnected);
            EXPECT_EQ(st.dwError, c.error);
            EXPECT_EQ(Connections().size(), 1u);
            ASSERT_EQ(RasGetConnectionStatistics(h, &stats), ERROR_SUCCESS);
            EXPECT_EQ(stats.dwBps, 0u);
            EXPECT_EQ(RasHangUpA(h), ERROR_SUCCESS);
        } else {
            EXPECT_EQ(Status(h, st), ERROR_INVALID_HANDLE);
            EXPECT_TRUE(Connections().empty());
            EXPECT_EQ(RasGetConnectionStatistics(h, &stats), ERROR_INVALID_HANDLE);
            EXPECT_EQ(RasHangUpA(h), ERROR_INVALID_HANDLE);
        }
        EXPECT_EQ(Status(h, st), ERROR_INVALID_HANDLE);
    }
}

TEST_F(RasSimDial, EachDialTakesTheNextRuleAndTheLastRepeats) {
    writeScript(
        "# busy twice, no answer once, then connected\n"
        "dial fail 676 after 1000 times 2\n"
        "dial fail 678 after 2000\n"
        "\n"
        "dial connect after 3000\n");
    DWORD expected[] = {676, 676, 678, 0, 0};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        HRASCONN h = 0;
        ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
        machine.clock.Advance(10000);
        ASSERT_FALSE(Notes().empty());
        Note last = Notes().back();
        EXPECT_EQ(last.handle, h) << i;
        EXPECT_EQ(last.error, expected[i]) << i;
        EXPECT_EQ(last.state, expected[i] ? RASCS_ConnectDevice : RASCS_Connected) << i;
        EXPECT_EQ(RasHangUpA(h), ERROR_SUCCESS);
    }
    EXPECT_EQ(sim->Dials(), 5u);
}

TEST_F(RasSimDial, WithoutAScriptADialConnectsAfterThreeSecondsWithTheUsualStates) {
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    machine.clock.Advance(2999);
    EXPECT_NE(Notes().back().state, RASCS_Connected);
    machine.clock.Advance(1);
    std::vector<RASCONNSTATE> want = {
        RASCS_OpenPort,     RASCS_PortOpened, RASCS_ConnectDevice, RASCS_DeviceConnected, RASCS_AllDevicesConnected,
        RASCS_Authenticate, RASCS_AuthNotify, RASCS_Authenticated, RASCS_Projected,       RASCS_Connected};
    EXPECT_EQ(states(Notes()), want);
    RAS_STATS stats{};
    stats.dwSize = sizeof stats;
    machine.clock.Advance(1500);
    ASSERT_EQ(RasGetConnectionStatistics(h, &stats), ERROR_SUCCESS);
    EXPECT_EQ(stats.dwBps, 52000u);
    EXPECT_EQ(stats.dwConnectDuration, 1500u);
}

TEST_F(RasSimDial, TheHandleStaysValidForTheHangUpsDuration) {
    writeScript("dial connect after 1000\nhangup 5184\n");
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    machine.clock.Advance(1000);
    ASSERT_EQ(RasHangUpA(h), ERROR_SUCCESS);
    RASCONNSTATUSA st;
    const int64_t gone = 1000 + 5184;
    while (machine.clock.MonotonicMs() < gone - 1) {
        ASSERT_EQ(Status(h, st), ERROR_SUCCESS) << "at " << machine.clock.MonotonicMs();
        EXPECT_EQ(RasHangUpA(h), ERROR_SUCCESS) << "a second hang-up meanwhile";
        machine.clock.Advance(std::min<int64_t>(100, gone - 1 - machine.clock.MonotonicMs()));
    }
    EXPECT_EQ(machine.clock.MonotonicMs(), 1000 + 5183);
    EXPECT_EQ(Status(h, st), ERROR_SUCCESS);
    EXPECT_EQ(Connections().size(), 1u) << "still listed while it hangs up";
    machine.clock.Advance(1);
    EXPECT_EQ(Status(h, st), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(Connections().empty());
    EXPECT_EQ(RasHangUpA(h), ERROR_INVALID_HANDLE);
}

TEST_F(RasSimDial, AHangUpDuringADialCancelsItsNotificationsButForTheLateOne) {
    struct {
        const char* script;
        std::size_t notesAfterHangUp;
        DWORD lateError;
        int64_t lateAt;  // ms after the hang-up
    } cases[] = {
        {"dial connect after 4000 states 0,1,2,3\n", 0, 0, 0},
        {"dial connect after 4000 states 0,1,2,3\nlate 619\n", 1, 619, 0},
        {"dial connect after 4000 states 0,1,2,3\nlate 619 after 700\nhangup 300\n", 1, 619, 700},
        {"dial hang states 0,1,2,3 after 4000\nlate 631 after 10\n", 1, 631, 10},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.script);
        sim->Reset();
        writeScript(c.script);
        HRASCONN h = 0;
        ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
        machine.clock.Advance(1500);  // states 0 and 1 delivered
        std::size_t before = Notes().size();
        int64_t hungUpAt = machine.clock.MonotonicMs();
        ASSERT_EQ(RasHangUpA(h), ERROR_SUCCESS);
        sim->WaitIdle();  // what is due at once arrives before the clock moves on
        machine.clock.Advance(20000);
        std::vector<Note> after = Notes();
        after.erase(after.begin(), after.begin() + static_cast<long>(before));
        ASSERT_EQ(after.size(), c.notesAfterHangUp);
        if (!after.empty()) {
            EXPECT_EQ(after[0].handle, h);
            EXPECT_EQ(after[0].state, RASCS_PortOpened) << "the state it had reached";
            EXPECT_EQ(after[0].error, c.lateError);
            EXPECT_EQ(after[0].ms - hungUpAt, c.lateAt);
        }
        RASCONNSTATUSA st;
        EXPECT_EQ(Status(h, st), ERROR_INVALID_HANDLE);
    }
    // A connection that is up gets no late notification.
    sim->Reset();
    writeScript("dial connect after 1000\nlate 619\n");
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    machine.clock.Advance(1000);
    std::size_t before = Notes().size();
    ASSERT_EQ(RasHangUpA(h), ERROR_SUCCESS);
    machine.clock.Advance(5000);
    EXPECT_EQ(Notes().size(), before);
}

TEST_F(RasSimDial, AStatusErrorAnswersEveryStatusQueryUntilTheHandleIsGone) {
    writeScript("dial hang states 0 status 668\nhangup 300\n");
    HRASCONN h = 0;
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    machine.clock.Advance(1000);
    RASCONNSTATUSA st;
    EXPECT_EQ(Status(h, st), DWORD(ERROR_NO_CONNECTION));
    EXPECT_EQ(Connections().size(), 1u) << "still listed";
    EXPECT_EQ(states(Notes()), std::vector<RASCONNSTATE>{RASCS_OpenPort});
    ASSERT_EQ(RasHangUpA(h), ERROR_SUCCESS);
    machine.clock.Advance(299);
    EXPECT_EQ(Status(h, st), DWORD(ERROR_NO_CONNECTION));
    machine.clock.Advance(1);
    EXPECT_EQ(Status(h, st), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(RasSimDial, OneDevicesCallAtATime) {
    createEntry("Outra", "Outro Modem");
    writeScript("dial connect after 1000\nhangup 2000\n");
    HRASCONN first = 0, second = 0, other = 0;
    ASSERT_EQ(DialEntry(kEntry, first), ERROR_SUCCESS);
    EXPECT_EQ(DialEntry(kEntry, second), ERROR_PORT_NOT_AVAILABLE) << "dialling";
    machine.clock.Advance(1000);
    EXPECT_EQ(DialEntry(kEntry, second), ERROR_PORT_NOT_AVAILABLE) << "connected";
    EXPECT_EQ(DialEntry("Outra", other), ERROR_SUCCESS) << "another modem is free";
    ASSERT_EQ(RasHangUpA(first), ERROR_SUCCESS);
    EXPECT_EQ(DialEntry(kEntry, second), ERROR_PORT_NOT_AVAILABLE) << "still hanging up";
    machine.clock.Advance(2000);
    EXPECT_EQ(DialEntry(kEntry, second), ERROR_SUCCESS);
    EXPECT_NE(second, first);
    EXPECT_EQ(sim->Dials(), 3u) << "refused dials take no rule";
}

TEST_F(RasSimDial, TheNotifierMayCallTheServiceBack) {
    writeScript("dial fail 676 after 2000 states 0,1\n");
    HRASCONN h = 0;
    std::vector<DWORD> seen;  // written on the service thread, read after Advance
    onNote = [&](const Note& n) {
        RASCONNSTATUSA st;
        seen.push_back(Status(n.handle, st));
        if (n.error) seen.push_back(RasHangUpA(n.handle));
    };
    ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS);
    machine.clock.Advance(2000);
    onNote = nullptr;
    EXPECT_EQ(seen, (std::vector<DWORD>{0, 0, 0, 0}));
    RASCONNSTATUSA st;
    EXPECT_EQ(Status(h, st), ERROR_INVALID_HANDLE);
}

TEST_F(RasSimDial, FiveDialsOf121SecondsRunInMillisecondsOfRealTime) {
    // A dial that never connects, abandoned after 120.96 s and redialled 7 s later, five
    // times; the line watched every second as a program watches it.
    writeScript("dial hang after 3000 states 0,1,2\nhangup 800\n");
    auto started = std::chrono::steady_clock::now();
    for (int attempt = 0; attempt < 5; ++attempt) {
        HRASCONN h = 0;
        ASSERT_EQ(DialEntry(kEntry, h), ERROR_SUCCESS) << attempt;
        for (int second = 0; second < 121; ++second) {
            machine.clock.Advance(second == 120 ? 960 : 1000);
            RASCONNSTATUSA st;
            ASSERT_EQ(Status(h, st), ERROR_SUCCESS);
        }
        ASSERT_EQ(RasHangUpA(h), ERROR_SUCCESS);
        machine.clock.Advance(7000);
        RASCONNSTATUSA st;
        ASSERT_EQ(Status(h, st), ERROR_INVALID_HANDLE);
    }
    auto real = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(machine.clock.MonotonicMs(), 5 * (120960 + 7000));
    EXPECT_EQ(Notes().size(), 15u);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(real).count(), kRealTimeBoundMs);
}
