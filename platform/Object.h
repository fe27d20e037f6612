#pragma once
// The root of the class library's objects and its plain event, a handler that is told only
// who raised it.
#include <functional>

class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
