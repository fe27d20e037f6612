// Brenwick's window under the mouse: painting, dragging, the two hover highlights with the
// timer that clears them, and the commands of its zones, labels and menu items.
#include "MainConventional.h"

#include "app/ShellOpen.h"
#include "connection/Dialer.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"
#include "settings/Conf.h"
#include "settings/Hosts.h"

namespace {
constexpr int kSettingsRight = kSettingsLeft + 92;
constexpr int kSettingsBottom = kSettingsTop + 34;
constexpr int kNewUserRight = kNewUserLeft + 60;
constexpr int kNewUserBottom = kNewUserTop + 34;
}  // namespace

void TMainFormConventional::FormPaint(TObject*) {
    if (!BMP1) return;  // not loaded yet, or freed already
    Canvas()->Draw(0, 0, *BMP1);
    if (overSettings) Canvas()->Draw(kSettingsLeft, kSettingsTop, *BMP3);
    if (overNewUser) Canvas()->Draw(kNewUserLeft, kNewUserTop, *BMP4);
}

void TMainFormConventional::repaintHover(bool wasOverSettings, bool wasOverNewUser) {
    if (!BMP1) return;
    if (overSettings != wasOverSettings) {
        if (overSettings) Canvas()->Draw(kSettingsLeft, kSettingsTop, *BMP3);
        else Canvas()->CopyRect(kSettingsLeft, kSettingsTop, kSettingsRight, kSettingsBottom, *BMP1);
    }
    if (overNewUser != wasOverNewUser) {
        if (overNewUser) Canvas()->Draw(kNewUserLeft, kNewUserTop, *BMP4);
        else Canvas()->CopyRect(kNewUserLeft, kNewUserTop, kNewUserRight, kNewUserBottom, *BMP1);
    }
}

void TMainFormConventional::FormMouseMove(TObject*, TShiftState, int, int) {
    if (dragTo()) return;
    TPoint p = CursorPoint();
    bool wasOverSettings = overSettings;
    bool wasOverNewUser = overNewUser;
    TSkinZone zone = skin->ZoneAt(p.x, p.y);
    overSettings = zone == szSettings;
    overNewUser = zone == szNewUser;
    SetCursor(zone != szNone ? crHandPoint : crDefault);
    repaintHover(wasOverSettings, wasOverNewUser);
}

void TMainFormConventional::Timer1Timer(TObject*) {
    // A highlight stays on after the cursor left the window until it lies left of or above
    // the window, or over one of its two upper-right corners.
    TPoint p = CursorPoint();
    bool wasOverSettings = overSettings;
    bool wasOverNewUser = overNewUser;
    if (p.x < 0 || p.y < 0 || (p.x > 215 && p.y < 46) || (p.x > 322 && p.y < 73)) {
        overSettings = false;
        overNewUser = false;
    }
    repaintHover(wasOverSettings, wasOverNewUser);
}

void TMainFormConventional::ZoneCommand(TSkinZone zone) {
    switch (zone) {
    case szSettings: SetPanel(2); break;
    case szNewUser: newUserCommand(); break;
    default: TMainForm::ZoneCommand(zone); break;
    }
}

void TMainFormConventional::LabelDialDiscarClick(TObject*) {
    // Every time, also while a dial or a connection is under way (the dial then does nothing).
    ShowMessage(AnsiString("Atenção: Se você está discando pela linha convencional, suas ligações\n"_a) +
                "para a Internet serão cobradas conforme preços da sua operadora."_a);
    SetPanel(3);
    Dialer->Dial(ComboBoxLogin->Text(), EditSenha->Text());
}

void TMainFormConventional::newUserCommand() {
    if (Dialer->IsConnected()) {
        ShellOpen(SignUpPage());
        return;
    }
    SetPanel(3);
    ComboBoxLogin->SetText("");
    EditSenha->SetText("");
    // Both empty: the anonymous account.
    Dialer->Dial(ComboBoxLogin->Text(), EditSenha->Text());
}

void TMainFormConventional::Criarnovaconta1Click(TObject*) { newUserCommand(); }

void TMainFormConventional::ImageSouNovoClick(TObject*) { newUserCommand(); }

void TMainFormConventional::Checagemautomticadeemails1Click(TObject*) {
    Conf->SetAutoCheckMail(!Conf->GetAutoCheckMail());
    Checagemautomticadeemails1->Checked = Conf->GetAutoCheckMail();
}

void TMainFormConventional::OtherEditionCommand() {
    AnsiString path = ExtractFileDir(Application->ExeName()) + "\\Quorvelt.exe";
    // No notice, and a failed start stays silent. A start that worked ends this instance
    // without the close question and without hanging up: the other program adopts the line.
    if (ShellOpen(path) > 32) Application->Terminate();
}
