// A program start as the dialer makes it, for the tests that need real processes:
//   start        take the title; when another process holds it, send it 0x8191 and end
//                with 1, else open the main form and run until killed
//   wait-start   the same after a line arrives on stdin (starts released together)
//   fatal-start  the main form's OnCreate meets a fatal error: one box, Terminate, then a
//                second box that must not appear; Run then shows nothing
// It reports on stdout, one line per event.
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/qt/ClassLibrary.h"
#include "platform/qt/Forms.h"
#include "platform/qt/SingleInstance.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {
const AnsiString kTitle = "Ruvozava Corvala";

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

class HelperForm : public TForm {
public:
    explicit HelperForm(TComponent* owner) : TForm(owner) {
        OnShow = [](TObject*) { say("shown"); };
    }
    void Dispatch(TMessage& m) override {
        if (m.Msg == 0x8191) {
            say("dispatch " + std::to_string(m.Msg) + " " + std::to_string(m.WParam) + " " +
                std::to_string(m.LParam));
            m.Result = 1;
            return;
        }
        TForm::Dispatch(m);
    }
};

HelperForm* MainWindow = nullptr;

int start() {
    if (!AcquireInstance(kTitle)) {
        Application->Initialize();
        Application->SetTitle("_");
        PostToInstance(kTitle, 0x8191, 0, 0);
        Application->Terminate();
        say("second");
        return 1;
    }
    Application->Initialize();
    Application->SetTitle(kTitle);
    Application->CreateForm(MainWindow);
    say("running");
    Application->Run();
    return 0;
}

int fatalStart() {
    AcquireInstance(kTitle);
    Application->Initialize();
    Application->SetTitle(kTitle);
    MainWindow = nullptr;
    struct FatalForm : HelperForm {
        explicit FatalForm(TComponent* owner) : HelperForm(owner) {
            OnCreate = [](TObject*) {
                MessageBox("Não foi possível ler o arquivo RASAPI32.DLL"_a, kTitle, MB_OK | MB_ICONERROR);
                Application->Terminate();
                int again = MessageBox("segunda", kTitle, MB_OK);
                say("second box " + std::to_string(again));
            };
        }
    };
    FatalForm* form = nullptr;
    Application->CreateForm(form);
    Application->Run();
    say("ended");
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    TClassLibrary library(argc, argv);
    std::string mode = argc > 1 ? argv[1] : "start";
    if (mode == "wait-start") {
        say("waiting");
        std::string go;
        std::getline(std::cin, go);
        return start();
    }
    if (mode == "fatal-start") return fatalStart();
    return start();
}
