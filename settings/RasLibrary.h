#pragma once
// The dial-up service library, "RASAPI32.DLL", bound by name as the settings, the engine,
// the settings dialog and the line-speed reader bind it. Each binding holds one reference
// of its own: taken when it is made, given back once (when the binding fails, on Release,
// or when it goes).
//
// Entry points are looked up in the order they are asked for, every one of them, and only
// then is the binding judged: a needed one missing fails it, a wanted one may be null.
#include "platform/AnsiString.h"
#include "platform/Library.h"

class TLogger;

class TRasLibrary {
public:
    TRasLibrary();  // loads the library
    ~TRasLibrary();
    TRasLibrary(const TRasLibrary&) = delete;
    TRasLibrary& operator=(const TRasLibrary&) = delete;

    bool Loaded() const { return module_ != nullptr; }

    // Binds `name` into `entry`, null when the library or the name is missing.
    template <typename F>
    TRasLibrary& Need(F& entry, const char* name) {
        entry = reinterpret_cast<F>(lookUp(name));
        if (!entry) missing_ = true;
        return *this;
    }
    template <typename F>
    TRasLibrary& Want(F& entry, const char* name) {
        entry = reinterpret_cast<F>(lookUp(name));
        return *this;
    }

    // True when the library and every needed entry point are there. Otherwise the fatal
    // message is shown, the reference given back and the application asked to end.
    bool BoundOrQuit();
    // True when the library and every needed entry point are there. Otherwise, when the
    // library loaded, its one status line goes to `log` and the reference is given back; a
    // library that did not load is not reported.
    bool BoundOrReport(TLogger& log);
    // Gives the reference back now; the entry points bound from it must not be called again.
    void Release();

    // What a program without the service is told before it ends.
    static AnsiString FatalMessage();
    // The status line of a service without the line statistics.
    static AnsiString StatisticsMissingLine();

private:
    FARPROC lookUp(const char* name) const;
    bool bound() const { return module_ && !missing_; }

    HMODULE module_ = nullptr;
    bool missing_ = false;
};
