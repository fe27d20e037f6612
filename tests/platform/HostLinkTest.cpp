#include "platform/Clock.h"
#include "platform/HostLink.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {
using Heard = std::vector<std::pair<Clock*, Clock*>>;
void hear(void* heard, Clock* before, Clock* after) { static_cast<Heard*>(heard)->emplace_back(before, after); }
}  // namespace

// What a library is handed: the program's clock in force at each call, and the program's
// changes until the library stops listening.
TEST(HostLink, TheProgramsRecordFollowsItsClock) {
    const VynHost& host = ThisProgramAsHost();
    EXPECT_EQ(host.size, sizeof(VynHost));
    EXPECT_EQ(host.version, kVynHostVersion);
    FakeClock a;
    Clock* system = host.currentClock();
    EXPECT_EQ(system, &CurrentClock());
    Heard heard;
    int id = host.addClockChangeListener(&hear, &heard);
    SetClock(&a);
    EXPECT_EQ(host.currentClock(), &a);
    SetClock(nullptr);
    host.removeClockChangeListener(id);
    SetClock(&a);
    SetClock(nullptr);
    EXPECT_EQ(heard, (Heard{{system, &a}, {&a, system}}));
}
