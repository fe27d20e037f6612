#include "QtCase.h"

#include "platform/UiThread.h"
#include "platform/Timer.h"

#include <thread>

namespace {
using TimerCase = QtCase;

// Records when (on the fake clock) each timer fired, by name.
struct Ticks {
    std::vector<std::pair<AnsiString, int64_t>> seen;
    TNotifyEvent on(TTimer& t, const AnsiString& name) {
        t.SetName(name);
        return [this, name](TObject*) { seen.emplace_back(name, CurrentClock().MonotonicMs()); };
    }
    std::vector<int64_t> times() const {
        std::vector<int64_t> out;
        for (auto& s : seen) out.push_back(s.second);
        return out;
    }
};

TEST_F(TimerCase, FiresEveryIntervalOnTheFakeClock) {
    Ticks ticks;
    TTimer t;
    t.SetInterval(1000);
    t.OnTimer = ticks.on(t, "t");
    machine.clock.Advance(999);
    EXPECT_TRUE(ticks.seen.empty());
    machine.clock.Advance(1);
    machine.clock.Advance(3000);
    EXPECT_EQ(ticks.times(), (std::vector<int64_t>{1000, 2000, 3000, 4000}));
}

TEST_F(TimerCase, EnabledKeepsTheClassLibrarysMeaning) {
    struct Step {
        const char* what;
        std::vector<bool> sets;  // Enabled values set 600 ms into the period
        std::vector<int64_t> ticks;
    };
    const Step steps[] = {
        {"true while true keeps the period", {true}, {1000, 2000}},
        {"true twice keeps it too", {true, true}, {1000, 2000}},
        {"false then true restarts it", {false, true}, {1600}},
        {"false stops it", {false}, {}},
        {"false twice stays stopped", {false, false}, {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        int64_t start = CurrentClock().MonotonicMs();
        Ticks ticks;
        TTimer t;
        t.OnTimer = ticks.on(t, "t");
        machine.clock.Advance(600);
        for (bool v : s.sets) t.SetEnabled(v);
        machine.clock.Advance(1400);
        std::vector<int64_t> relative;
        for (int64_t at : ticks.times()) relative.push_back(at - start);
        EXPECT_EQ(relative, s.ticks);
    }
}

TEST_F(TimerCase, HandlerSeesItselfEnabledAndMayStopOrRestartItself) {
    TTimer t;
    t.SetInterval(100);
    std::vector<bool> enabledInside;
    int n = 0;
    t.OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, &t);
        enabledInside.push_back(t.Enabled());
        if (++n == 2) t.SetEnabled(false);
    };
    machine.clock.Advance(1000);
    EXPECT_EQ(enabledInside, (std::vector<bool>{true, true}));
    EXPECT_FALSE(t.Enabled());

    // Restarting from inside counts a full period from the restart.
    Ticks ticks;
    t.OnTimer = [&](TObject*) {
        ticks.seen.emplace_back("t", CurrentClock().MonotonicMs());
        t.SetEnabled(false);
        t.SetInterval(250);
        t.SetEnabled(true);
    };
    t.SetEnabled(true);  // at 1000
    machine.clock.Advance(700);
    EXPECT_EQ(ticks.times(), (std::vector<int64_t>{1100, 1350, 1600}));
}

TEST_F(TimerCase, IntervalChangeRestartsAndZeroNeverFires) {
    Ticks ticks;
    TTimer t;
    t.OnTimer = ticks.on(t, "t");
    machine.clock.Advance(900);
    t.SetInterval(500);  // from 900: due at 1400
    machine.clock.Advance(600);
    t.SetInterval(0);
    machine.clock.Advance(5000);
    EXPECT_TRUE(t.Enabled());
    EXPECT_EQ(ticks.times(), (std::vector<int64_t>{1400}));
}

TEST_F(TimerCase, TimersFireInTimeOrder) {
    Ticks ticks;
    TTimer a, b;
    a.SetInterval(300);
    b.SetInterval(500);
    a.OnTimer = ticks.on(a, "a");
    b.OnTimer = ticks.on(b, "b");
    machine.clock.Advance(1000);
    using P = std::pair<AnsiString, int64_t>;
    EXPECT_EQ(ticks.seen, (std::vector<P>{{"a", 300}, {"b", 500}, {"a", 600}, {"a", 900}, {"b", 1000}}));
}

TEST_F(TimerCase, EnabledFromAnotherThreadChangesAtOnceAndTheLastCallWins) {
    Ticks ticks;
    TTimer t;
    t.SetEnabled(false);
    t.OnTimer = ticks.on(t, "t");
    machine.clock.Advance(500);
    std::vector<bool> readBack;
    std::thread worker([&] {
        t.SetEnabled(true);
        readBack.push_back(t.Enabled());
        t.SetEnabled(false);
        readBack.push_back(t.Enabled());
        t.SetEnabled(true);
        readBack.push_back(t.Enabled());
    });
    worker.join();
    EXPECT_EQ(readBack, (std::vector<bool>{true, false, true}));
    // The period started with the call, on the clock, not when the UI thread got to it.
    machine.clock.Advance(2000);
    EXPECT_EQ(ticks.times(), (std::vector<int64_t>{1500, 2500}));

    // Two threads at once: whatever the interleaving, the timer ends as the last flag says.
    for (int round = 0; round < 20; ++round) {
        std::thread a([&] {
            for (int i = 0; i < 50; ++i) t.SetEnabled(i % 2 == 0);
        });
        std::thread b([&] {
            for (int i = 0; i < 50; ++i) t.SetEnabled(i % 3 == 0);
        });
        a.join();
        b.join();
        std::size_t before = ticks.seen.size();
        machine.clock.Advance(1000);
        EXPECT_EQ(ticks.seen.size() - before, t.Enabled() ? 1u : 0u);
    }
    QCoreApplication::processEvents();  // the Qt timer catches up; nothing else changes
}

TEST_F(TimerCase, ClockAdvancedOnAnotherThreadFiresOnTheUiThread) {
    TTimer t;
    t.SetInterval(1000);
    std::vector<bool> onUi;
    t.OnTimer = [&](TObject*) { onUi.push_back(IsUiThread()); };
    bool done = false;
    std::thread worker([&] {
        machine.clock.Advance(3000);
        QueueOnUiThread([&] { done = true; });
    });
    ASSERT_TRUE(PumpUntil([&] { return done; }));
    worker.join();
    EXPECT_EQ(onUi, (std::vector<bool>{true, true, true}));
}

TEST_F(TimerCase, APendingPeriodCarriesOverToANewClock) {
    Ticks ticks;
    TTimer t;
    t.OnTimer = ticks.on(t, "t");
    machine.clock.Advance(400);
    FakeClock other;
    other.Advance(50000);
    SetClock(&other);
    other.Advance(599);
    EXPECT_TRUE(ticks.seen.empty());
    other.Advance(1);
    EXPECT_EQ(ticks.times(), (std::vector<int64_t>{50600}));
    machine.clock.Advance(5000);  // the old clock no longer drives it
    EXPECT_EQ(ticks.seen.size(), 1u);
    SetClock(&machine.clock);
}

TEST_F(TimerCase, ATimerFreedInsideItsHandlerStops) {
    int n = 0;
    auto* t = new TTimer;
    t->SetInterval(10);
    t->OnTimer = [&](TObject* sender) {
        ++n;
        delete static_cast<TTimer*>(sender);
    };
    machine.clock.Advance(100);
    EXPECT_EQ(n, 1);
}
}  // namespace
