// Mirvane: one instance at a time; a second start only brings the first forward. The option
// "--minimized" (first parameter, exactly) starts hidden in the tray. Exit code 1 for a
// second start, 0 otherwise, also after an error shown to the user.
#include "Discddd.h"
#include "Frmconfig.h"
#include "Instance.h"
#include "Main.h"
#include "Msgdlg.h"

#include "platform/Application.h"
#include "platform/SysUtils.h"
#include "platform/qt/ClassLibrary.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/WindowRecorder.h"
#include "settings/Edition.h"

int WinMain() {
    // The one choice that makes this program Mirvane below its windows.
    ProgramEdition = &MirvaneEdition();
    // Taking the title is one step: of two starts at the same moment exactly one runs.
    if (!AcquireInstance(kProgramTitle)) {
        Application->Initialize();
        Application->SetTitle("_");
        NotifyRunningInstance(kProgramTitle);
        Application->Terminate();
        return 1;
    }
    try {
        Application->Initialize();
        Application->SetTitle(kProgramTitle);
        if (ParamStr(1) == "--minimized") Application->SetShowMainForm(false);
        Application->CreateForm(MainForm);
        Application->CreateForm(MsgDialog);
        Application->CreateForm(frmDiscDDD);
        Application->CreateForm(FormConfig);
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e);
    } catch (...) {
        Application->ShowException(Exception(""));
    }
    return 0;
}

int main(int argc, char** argv) {
    TClassLibrary library(argc, argv);
    InstallWindowRecorder();
    return WinMain();
}
