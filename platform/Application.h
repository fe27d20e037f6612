#pragma once
// The application object as the system's units see it. The parts that need a window system
// (the message loop, minimising, the main form) are supplied by the class-library layer
// through ApplicationBackend; without one (tools, unit tests) they do nothing.
#include "AnsiString.h"

#include <atomic>
#include <mutex>

class ApplicationBackend {
public:
    virtual ~ApplicationBackend() = default;
    virtual void ProcessMessages() = 0;
    virtual void Minimize() = 0;
    virtual void Restore() = 0;
    virtual void Terminate() = 0;  // called after the flag is set
};

class TApplication {
public:
    AnsiString ExeName() const;
    AnsiString Title() const;
    void SetTitle(const AnsiString& title);
    // Asks the application to end: honoured by the message loop even before it starts, and
    // every message box asked afterwards returns IDCANCEL at once.
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    void ResetTerminated();  // tests
    void ProcessMessages();
    void Minimize();
    void Restore();
    int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags);
    void SetBackend(ApplicationBackend* backend) { backend_.store(backend); }
    ApplicationBackend* Backend() const { return backend_.load(); }

private:
    mutable std::mutex mutex_;
    AnsiString title_;
    std::atomic<bool> terminated_{false};
    std::atomic<ApplicationBackend*> backend_{nullptr};
};

extern TApplication* Application;
