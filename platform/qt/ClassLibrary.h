#pragma once
// Brings the class library up over Qt for this process. Make one in main(), before anything
// else and on the thread that is to be the UI thread, and keep it until main returns:
//
//     int main(int argc, char** argv) {
//         TClassLibrary library(argc, argv);
//         return WinMain();
//     }
//
// It keeps the raw command line for ParamStr, creates the Qt application, and installs the
// application backend (Application->Run, CreateForm, Minimize, ...), the UI-thread dispatcher
// (RunOnUiThread, QueueOnUiThread) and the message-box presenter. Its end frees the
// application's forms (OnDestroy first, the last made first) while Qt is still there.
#include <memory>

class TClassLibrary {
public:
    TClassLibrary(int& argc, char** argv);
    ~TClassLibrary();
    TClassLibrary(const TClassLibrary&) = delete;
    TClassLibrary& operator=(const TClassLibrary&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// Frees the application's forms (each OnDestroy runs) and forgets the main form, the
// minimised state, OnRestore and ShowMainForm: each test starts from a fresh application.
void ReleaseApplicationForms();
