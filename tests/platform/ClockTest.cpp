#include "platform/Clock.h"

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
    EXPECT_FALSE(UsingFakeClock());
}
