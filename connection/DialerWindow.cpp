#include "DialerWindow.h"

#include "WindowLink.h"

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/UiThread.h"

void TDialerWindow::Repaint() {
    RunOnUiThread([] {
        if (WindowLink) WindowLink->Repaint();
    });
}

void TDialerWindow::SetPanel(int state) {
    RunOnUiThread([state] {
        if (WindowLink) WindowLink->SetPanel(state);
    });
}

void TDialerWindow::SetTrayHint(const AnsiString& hint) {
    RunOnUiThread([&hint] {
        if (WindowLink) WindowLink->SetTrayHint(hint);
    });
}

bool TDialerWindow::ConfirmLongDistance() {
    return CallOnUiThread([] { return WindowLink ? WindowLink->ConfirmLongDistance() : true; });
}

bool TDialerWindow::AskReconnect() {
    return CallOnUiThread([] {
        if (WindowLink) WindowLink->BringToFront();
        Application->NormalizeTopMosts();
        int answer = Application->MessageBox("A conexão foi desligada, deseja conectar novamente?"_a,
                                             "Ruvozava Corvala", MB_YESNO);
        Application->RestoreTopMosts();
        return answer == IDYES;
    });
}

void TDialerWindow::MinimizeApplication() {
    RunOnUiThread([] { Application->Minimize(); });
}
