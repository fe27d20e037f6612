#include "platform/Clock.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>
#include <limits>

TEST(FakeClock, AdvanceStopsWhereListenersWaitAndStepsThoseThatCannotSay) {
    FakeClock clock;
    std::vector<int64_t> dueSeen, plainSeen;
    int64_t due = 250;
    clock.AddListener(
        [&](int64_t now) {
            dueSeen.push_back(now);
            if (now >= due) due += 250;
        },
        [&] { return due; });
    int plain = clock.AddListener([&](int64_t now) { plainSeen.push_back(now); });
    clock.Advance(10);
    EXPECT_EQ(plainSeen.size(), 10u);  // every millisecond
    EXPECT_EQ(dueSeen.size(), 10u);    // and everyone is told at each stop
    clock.RemoveListener(plain);
    dueSeen.clear();
    clock.Advance(990);
    EXPECT_EQ(dueSeen, (std::vector<int64_t>{250, 500, 750, 1000}));
    EXPECT_EQ(clock.MonotonicMs(), 1000);
}

TEST(FakeClock, WallTimeMovesWithTheJumps) {
    FakeClock clock(EncodeDateTime(2004, 11, 5, 14, 3, 9));
    clock.AddListener([](int64_t) {}, [] { return std::numeric_limits<int64_t>::max(); });
    clock.Advance(61000);
    EXPECT_EQ(FormatDateTime("hh:nn:ss", clock.Now()), "14:04:10");
    EXPECT_EQ(clock.MonotonicMs(), 61000);
}

TEST(Clock, ChangeListenersHearWhichClockCameIn) {
    FakeClock a, b;
    std::vector<std::pair<Clock*, Clock*>> heard;
    int id = AddClockChangeListener([&](Clock* before, Clock* after) { heard.emplace_back(before, after); });
    SetClock(&a);
    SetClock(&a);  // no change, no news
    SetClock(&b);
    SetClock(nullptr);
    RemoveClockChangeListener(id);
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0].second, &a);
    EXPECT_EQ(heard[1].first, &a);
    EXPECT_EQ(heard[1].second, &b);
    EXPECT_EQ(heard[2].second, &CurrentClock());
    EXPECT_NE(&CurrentClock(), static_cast<Clock*>(&a));
    EXPECT_NE(&CurrentClock(), static_cast<Clock*>(&b));
}

// What code that waits asks of a clock, for the system clock and the tests' clock.
TEST(Clock, WaitersBlockAsLongAsTheClockSays) {
    Clock& system = CurrentClock();
    FakeClock fake;
    fake.Advance(1000);
    struct {
        const char* what;
        Clock& clock;
        int64_t fromNow;  // the deadline, from the clock's reading
        int64_t least, most;
    } cases[] = {
        {"system, ahead", system, 60000, 59000, 60000},
        {"system, now", system, 0, 0, 0},
        {"system, passed", system, -500, 0, 0},
        {"fake, ahead", fake, 60000, Clock::kUntilWoken, Clock::kUntilWoken},
        {"fake, now", fake, 0, 0, 0},
        {"fake, passed", fake, -500, 0, 0},
    };
    for (auto& c : cases) {
        int64_t wait = c.clock.RealWaitMs(c.clock.MonotonicMs() + c.fromNow);
        EXPECT_GE(wait, c.least) << c.what;
        EXPECT_LE(wait, c.most) << c.what;
    }
}

TEST(Clock, ASleepOnTheTestClockIsItsTimePassing) {
    FakeClock clock;
    std::vector<int64_t> told;
    clock.AddListener([&](int64_t now) { told.push_back(now); },
                      [&] { return told.empty() ? int64_t(300) : std::numeric_limits<int64_t>::max(); });
    clock.Sleep(400);
    clock.Sleep(0);
    EXPECT_EQ(clock.MonotonicMs(), 400);
    EXPECT_EQ(told, (std::vector<int64_t>{300, 400}));
}
