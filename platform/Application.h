#pragma once
// The application object as the system's units see it. The parts that need a window system
// (the message loop, minimising, the forms) are supplied by the class-library layer through
// ApplicationBackend; without one (tools, unit tests) they do nothing.
#include "AnsiString.h"
#include "Object.h"

#include <atomic>
#include <concepts>
#include <exception>
#include <mutex>

class Exception;
class TForm;
using HWND = struct HWND__*;

class ApplicationBackend {
public:
    virtual ~ApplicationBackend() = default;
    virtual void Initialize() = 0;
    virtual void ProcessMessages() = 0;
    // Waits for the next message and handles it with everything else waiting (UI thread).
    virtual void HandleMessage() { ProcessMessages(); }
    virtual void Minimize() = 0;
    virtual void Restore() = 0;
    virtual void Terminate() = 0;  // called after the flag is set
    virtual void Run() = 0;
    // Takes a newly built form: the application owns it from now on, the first one becomes
    // the main form, and its OnCreate runs.
    virtual void AdoptForm(TForm* form) = 0;
    virtual TForm* MainForm() = 0;
    virtual HWND Handle() = 0;
};

class TApplication : public TObject {
public:
    void Initialize();
    AnsiString ExeName() const;
    AnsiString Title() const;
    void SetTitle(const AnsiString& title);
    // False keeps Run from showing the main form (a start hidden in the tray).
    bool ShowMainForm() const { return showMainForm_.load(); }
    void SetShowMainForm(bool show) { showMainForm_.store(show); }
    TForm* MainForm() const;
    HWND Handle() const;  // the application's own window (null without a backend)

    // Builds a form of type T, assigns `reference`, and only then runs the form's OnCreate,
    // so the handler (and everything it starts) already finds the form through its global
    // pointer. The first form made this way is the main form. T is built as T(nullptr); the
    // application owns it and frees it (OnDestroy first) when the class library ends.
    template <class T>
    void CreateForm(T*& reference) {
        requireBackend();
        T* form = new T(nullptr);
        reference = form;
        adoptForm(form);
    }
    // The same for a form of a derived type T, kept in its base's pointer (another
    // edition's main window in MainForm): Application->CreateForm<TDerived>(MainForm).
    template <class T, class Base>
    requires(std::derived_from<T, Base> && !std::same_as<T, Base>) void CreateForm(Base*& reference) {
        requireBackend();
        T* form = new T(nullptr);
        reference = form;
        adoptForm(form);
    }
    // Shows the main form (unless ShowMainForm is false) and runs the message loop until the
    // main form closes or Terminate is called; returns at once after an earlier Terminate.
    void Run();

    // Asks the application to end: honoured by the message loop even before it starts, and
    // every message box asked afterwards returns IDCANCEL at once.
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    void ResetTerminated();  // tests
    void ProcessMessages();
    // Handles the waiting messages, or waits for the next one and handles it: a loop that
    // waits for something a handler does calls it (UI thread). Returns at once when
    // Terminate was called (also from another thread).
    void HandleMessage();
    void Minimize();
    void Restore();
    int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags);
    // The class library's report of an error that escaped a handler: a message box with the
    // message, captioned with the title.
    void ShowException(const Exception& e);
    // Reports any escaped error as ShowException does (errors of other kinds as their text);
    // never throws.
    void HandleException(std::exception_ptr error) noexcept;
    // The platform lowers top-most windows around a box; no window here stays on top of them.
    void NormalizeTopMosts() {}
    void RestoreTopMosts() {}

    // Fired on the UI thread when the application comes back from being minimised.
    TNotifyEvent OnRestore;

    void SetBackend(ApplicationBackend* backend) { backend_.store(backend); }
    ApplicationBackend* Backend() const { return backend_.load(); }

private:
    void requireBackend() const;
    void adoptForm(TForm* form);

    mutable std::mutex mutex_;
    AnsiString title_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> showMainForm_{true};
    std::atomic<ApplicationBackend*> backend_{nullptr};
};

extern TApplication* Application;

// Runs an event handler the way the class library runs one: an error that escapes it is
// reported with ShowException and goes no further, so no exception crosses the message loop.
template <class F>
void RunHandler(F&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
}

// The command line exactly as the program received it, options of the window system
// included (the Qt application removes those from its own copy).
void SetCommandLine(int argc, const char* const* argv);
int ParamCount();
AnsiString ParamStr(int index);  // 0: the program file; "" past the last parameter
