#include "UiPump.h"

#include "platform/SysUtils.h"

UiPump& UiPump::Instance() {
    static UiPump* pump = new UiPump;  // never freed: threads may outlive main
    return *pump;
}

void UiPump::Start() {
    activate();
    SetUiDispatcher(this);
    Application->SetBackend(this);
}

void UiPump::Stop() {
    drain();
    Application->SetBackend(nullptr);
    deactivate();
    SetUiDispatcher(nullptr);
    drain();  // whatever slipped in between
}

void UiPump::Reset() {
    minimised_.store(false);
    Application->OnRestore = nullptr;
}

void UiPump::ProcessMessages() {
    if (IsUiThread()) drain();
}

void UiPump::HandleMessage() {
    if (!IsUiThread()) return;
    {
        std::unique_lock lock(mutex_);
        arrived_.wait(lock, [this] { return woken_ || !QueueEmpty(); });
        woken_ = false;
    }
    drain();
}

void UiPump::Minimize() { minimised_.store(true); }

void UiPump::Restore() {
    if (!minimised_.exchange(false)) return;
    RunOnUiThread([] {
        if (TNotifyEvent h = Application->OnRestore) RunHandler([&] { h(Application); });
    });
}

void UiPump::Terminate() {
    std::lock_guard lock(mutex_);
    woken_ = true;
    arrived_.notify_all();
}

void UiPump::Run() {
    while (!Application->Terminated()) HandleMessage();
}

void UiPump::AdoptForm(TForm*) { throw Exception("Forms need the class library; the test pump has none"); }
