#include "Instance.h"

#include "Main.h"

#include "platform/qt/SingleInstance.h"

void NotifyRunningInstance(const AnsiString& windowTitle) {
    // The running instance's main form gets the message once; its window's parent has no
    // handler of its own for it.
    PostToInstance(windowTitle, WM_ACTIVATEINSTANCE, 0, 0);
}
