#include "HostLink.h"

#include "Clock.h"

namespace {
constexpr VynHost kThisProgram{
    sizeof(VynHost),
    kVynHostVersion,
    [] { return &CurrentClock(); },
    [](VynClockChanged changed, void* context) {
        return AddClockChangeListener(
            [changed, context](Clock* before, Clock* after) { changed(context, before, after); });
    },
    [](int id) { RemoveClockChangeListener(id); },
};
}  // namespace

const VynHost& ThisProgramAsHost() { return kThisProgram; }

bool AttachToHost(const VynHost* host) {
    if (!host || host->version != kVynHostVersion || host->size < sizeof(VynHost)) return false;
    FollowProgramClock(*host);
    return true;
}
