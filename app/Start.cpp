#include "Start.h"

#include "Instance.h"

#include "platform/Application.h"
#include "platform/SysUtils.h"
#include "platform/qt/ClassLibrary.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/WindowRecorder.h"
#include "settings/Edition.h"

int StartProgram(const TProgramStart& start) {
    ProgramEdition = start.edition;
    // Taking the name is one step: of two starts at the same moment exactly one runs.
    if (!AcquireInstance(start.instanceName)) {
        Application->Initialize();
        Application->SetTitle("_");
        NotifyRunningInstance(start.instanceName);
        Application->Terminate();
        return 1;
    }
    try {
        Application->Initialize();
        Application->SetTitle(start.instanceName);
        if (ParamStr(1) == "--minimized") Application->SetShowMainForm(false);
        start.createForms();
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e);
    } catch (...) {
        Application->ShowException(Exception(""));
    }
    return 0;
}

int RunProgramMain(int argc, char** argv, const std::function<int()>& winMain) {
    TClassLibrary library(argc, argv);
    InstallWindowRecorder();
    return winMain();
}
