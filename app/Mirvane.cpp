// Mirvane: one instance at a time under "Ruvozava Corvala"; its four forms.
#include "Discddd.h"
#include "Frmconfig.h"
#include "Main.h"
#include "Msgdlg.h"
#include "Start.h"

#include "platform/Application.h"
#include "settings/Edition.h"

int WinMain() {
    return StartProgram({kProgramTitle, &MirvaneEdition(), [] {
                             Application->CreateForm(MainForm);
                             Application->CreateForm(MsgDialog);
                             Application->CreateForm(frmDiscDDD);
                             Application->CreateForm(FormConfig);
                         }});
}

int main(int argc, char** argv) { return RunProgramMain(argc, argv, WinMain); }
