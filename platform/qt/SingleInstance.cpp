#include "SingleInstance.h"

#include "Forms.h"
#include "Internal.h"
#include "platform/InstanceSocket.h"
#include "platform/UiThread.h"

#include <map>
#include <memory>
#include <mutex>

namespace {
// Time allowed to reach a running holder.
constexpr int kConnectMs = 5000;

std::mutex gMutex;
std::map<AnsiString, std::unique_ptr<TInstanceListener>> gHeld;  // under gMutex

// Each message is handed to the main form from the UI thread's queue, in order: a handler
// may run a modal loop, inside which more messages arrive.
void deliver(const InstanceMessage& m) {
    TMessage message;
    message.Msg = m.msg;
    message.WParam = m.wParam;
    message.LParam = m.lParam;
    QueueOnUiThread([message]() mutable {
        if (TForm* main = Application->MainForm()) RunHandler([&] { main->Dispatch(message); });
    });
}
}  // namespace

bool AcquireInstance(const AnsiString& title) {
    std::lock_guard lock(gMutex);
    if (gHeld.count(title)) return true;
    std::unique_ptr<TInstanceListener> held = TInstanceListener::Claim(title, deliver);
    if (!held) return false;
    gHeld[title] = std::move(held);
    return true;
}

void ReleaseInstance(const AnsiString& title) {
    std::unique_ptr<TInstanceListener> gone;
    std::lock_guard lock(gMutex);
    if (auto it = gHeld.find(title); it != gHeld.end()) {
        gone = std::move(it->second);
        gHeld.erase(it);
    }
}

bool InstanceRunning(const AnsiString& title) {
    if (CallOnUiThread([&] { return gHeld.count(title) > 0; })) return true;
    return InstanceHeld(title, kConnectMs);
}

bool PostToInstance(const AnsiString& title, UINT msg, WPARAM wParam, LPARAM lParam) {
    return SendToInstance(title, {msg, static_cast<std::uint64_t>(wParam), static_cast<std::int64_t>(lParam)},
                          kConnectMs);
}

void classlib::CloseInstances() {
    std::lock_guard lock(gMutex);
    gHeld.clear();
}
