#include "Internal.h"

#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <unordered_set>
#include <vector>

// The receivers of the events being delivered on this thread, outermost first, and the
// objects whose freeing waits for one of those deliveries to end.
namespace {
struct Parked {
    QPointer<QObject> object;
    std::size_t frame;  // index of the outermost delivery that reached it
};

thread_local std::vector<const QObject*> tFrames;
thread_local std::vector<Parked> tParked;

// The object, everything it owns, and the windows Qt made for them: an event for any of
// them runs code of the object's.
void collect(QObject* o, std::unordered_set<const QObject*>& out) {
    out.insert(o);
    if (o->isWidgetType())
        if (QWindow* w = static_cast<QWidget*>(o)->windowHandle()) out.insert(w);
    for (QObject* child : o->children()) collect(child, out);
}
}  // namespace

namespace classlib {
DeliveryScope::DeliveryScope(const QObject* receiver) { tFrames.push_back(receiver); }

DeliveryScope::~DeliveryScope() {
    tFrames.pop_back();
    if (tParked.empty()) return;
    std::size_t depth = tFrames.size();
    for (auto it = tParked.begin(); it != tParked.end();) {
        if (it->frame < depth) {
            ++it;
            continue;
        }
        // Through Qt's deferred delete, posted at this level: Qt's own callers of the
        // delivery that just ended are done with the object before it is freed.
        if (it->object) it->object->deleteLater();
        it = tParked.erase(it);
    }
}

bool Delivering() { return !tFrames.empty(); }

void Dispose(QObject* object) {
    if (!object) return;
    if (!tFrames.empty()) {
        std::unordered_set<const QObject*> own;
        collect(object, own);
        for (std::size_t i = 0; i < tFrames.size(); ++i) {
            if (!own.count(tFrames[i])) continue;
            if (object->isWidgetType()) static_cast<QWidget*>(object)->hide();
            tParked.push_back({object, i});
            return;
        }
    }
    delete object;
}
}  // namespace classlib
