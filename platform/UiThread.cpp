#include "UiThread.h"

#include <atomic>

namespace {
std::atomic<UiDispatcher*> gDispatcher{nullptr};
}  // namespace

void SetUiDispatcher(UiDispatcher* d) { gDispatcher.store(d); }

bool IsUiThread() {
    UiDispatcher* d = gDispatcher.load();
    return d ? d->IsUiThread() : true;
}

void RunOnUiThread(const std::function<void()>& f) {
    UiDispatcher* d = gDispatcher.load();
    if (!d || d->IsUiThread()) f();
    else d->RunSync(f);
}

void QueueOnUiThread(std::function<void()> f) {
    UiDispatcher* d = gDispatcher.load();
    if (!d) f();
    else d->Queue(std::move(f));
}
