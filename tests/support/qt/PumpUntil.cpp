#include "PumpUntil.h"

#include <QCoreApplication>
#include <QTimer>

bool PumpUntil(const std::function<bool()>& done, int limitMs) {
    bool late = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { late = true; });
    guard.start(limitMs);
    while (!done() && !late) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return !late;
}
