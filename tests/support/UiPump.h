#pragma once
// The UI thread of a test program that runs without the class library. The thread that
// starts the pump is the UI thread; calls handed over from other threads wait in the pump's
// queue and run, in order, when that thread serves it (the application's ProcessMessages,
// HandleMessage and Run). It also stands in for the application's window-system side:
// minimising and restoring only change a flag (restoring fires OnRestore), and there are no
// forms. The timers need no event loop here: the tests' clock runs them.
#include "platform/Application.h"
#include "platform/UiQueue.h"

#include <atomic>
#include <condition_variable>

class UiPump : public UiQueue, public ApplicationBackend {
public:
    static UiPump& Instance();  // lives as long as the process

    void Start();  // on the thread that becomes the UI thread; installs itself
    void Stop();   // runs what is still queued, then calls run inline again
    bool Minimised() const { return minimised_.load(); }
    void Reset();  // forgets the minimised state and OnRestore: each test starts afresh

    void Initialize() override {}
    void ProcessMessages() override;  // runs what is queued (UI thread)
    void HandleMessage() override;    // waits for a call or Terminate, then runs what is queued
    void Minimize() override;
    void Restore() override;
    void Terminate() override;
    void Run() override;
    void AdoptForm(TForm* form) override;  // forms need the class library
    TForm* MainForm() override { return nullptr; }
    HWND Handle() override { return nullptr; }

private:
    void Arrived() override { arrived_.notify_all(); }

    std::condition_variable arrived_;
    bool woken_ = false;
    std::atomic<bool> minimised_{false};
};
