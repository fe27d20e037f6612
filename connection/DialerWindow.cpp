#include "DialerWindow.h"

#include "WindowLink.h"

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/UiThread.h"

namespace {
// Stands in for a missing window.
class TNoWindow : public TWindowLink {
public:
    void Repaint() override {}
    void SetPanel(int) override {}
    void SetTrayHint(const AnsiString&) override {}
    bool ConfirmLongDistance() override { return true; }
    void BringToFront() override {}
};

TWindowLink& orNoWindow(TWindowLink* link) {
    static TNoWindow none;
    return link ? *link : none;
}
}  // namespace

TDialerWindow::TDialerWindow(TWindowLink* link) : link_(orNoWindow(link)) {}

void TDialerWindow::Repaint() const {
    RunOnUiThread([this] { link_.Repaint(); });
}

void TDialerWindow::SetPanel(int state) const {
    RunOnUiThread([this, state] { link_.SetPanel(state); });
}

void TDialerWindow::SetTrayHint(const AnsiString& hint) const {
    RunOnUiThread([this, &hint] { link_.SetTrayHint(hint); });
}

bool TDialerWindow::ConfirmLongDistance() const {
    return CallOnUiThread([this] { return link_.ConfirmLongDistance(); });
}

bool TDialerWindow::AskReconnect() const {
    return CallOnUiThread([this] {
        link_.BringToFront();
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
