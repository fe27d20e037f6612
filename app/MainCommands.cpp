// What the main window's zones, labels, keys and tray menus do. Pages, the help file and
// the other edition are handed to the shell with "open".
#include "Main.h"
#include "ShellOpen.h"

#include "connection/Dialer.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"
#include "settings/Checamail.h"
#include "settings/Hosts.h"

namespace {
intptr_t open(const AnsiString& target) { return ShellOpen(target); }

AnsiString programFolder() { return ExtractFileDir(Application->ExeName()); }
}  // namespace

AnsiString OtherEditionPath(const AnsiString& programPath) {
    // Only the file name's own extension counts: a dot in a folder name is no extension.
    AnsiString folder = ExtractFilePath(programPath);
    AnsiString name = ExtractFileName(programPath);
    AnsiString ext = ExtractFileExt(name);
    return folder + name.substr(0, name.size() - ext.size()) + "Roaming" + ext;
}

void TMainForm::MinimiseCommand() { SendMessage(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0); }

void TMainForm::HelpCommand() { open(programFolder() + "\\FAQ\\ajuda_discador.html"); }

void TMainForm::ConnectCommand() {
    if (Connecting()) {
        Dialer->HangUp(true);
        SetPanel(1);
    } else {
        SetPanel(3);
        Dialer->Dial("", "");
    }
}

void TMainForm::OtherEditionCommand() {
    AnsiString path = OtherEditionPath(Application->ExeName());
    ShowMessage(
        "Utilize a função de discar para a linha convencional quando seu Corvala não estiver disponível.\n\n"
        "O discador para linha convencional é uma cortesia do provedor Vyn. As ligações serão cobradas\n"
        "conforme preços da sua operadora."_a);
    if (open(path) > 32) Application->Terminate();
}

void TMainForm::LabelDialDiscarClick(TObject*) {
    SetPanel(3);
    Dialer->Dial("", "");
}

void TMainForm::Label9Click(TObject*) {
    Dialer->HangUp(true);
    SetPanel(1);
}

void TMainForm::Label11Click(TObject*) {
    Dialer->HangUp(true);
    SetPanel(1);
}

void TMainForm::ImageJaSouUsuarioClick(TObject*) { SetPanel(1); }

void TMainForm::Restaurar1Click(TObject*) {
    if (!Application->ShowMainForm()) {
        Application->SetShowMainForm(true);
        SetVisible(true);
    }
    if (!shown) FormShow(this);
    TrayIcon1->Restore();
}

void TMainForm::Desconectar2Click(TObject*) {
    TrayIcon1->Restore();
    // As the connect zone does: a dial still under way is stopped too.
    if (Connecting()) Dialer->HangUp(true);
    SetPanel(1);
}

void TMainForm::Desconectar1Click(TObject*) {
    SetPanel(1);
    Close();
}

void TMainForm::Checaremails1Click(TObject*) {
    if (!Dialer->IsConnected()) return;
    int n = ChecaMail->Check();
    if (n == -2) return;
    if (n == -1) ShowMessage("Ocorreu um erro ao tentar acessar o servidor de e-mail");
    else if (n == 0) ShowMessage("Não há mensagens."_a);
    else if (n == 1) ShowMessage("Você tem uma mensagem."_a);
    else ShowMessage("Você tem "_a + IntToStr(n) + " mensagens.");
    ChecaMail->Restart();
}

void TMainForm::Histricodeconexes1Click(TObject*) { open(programFolder() + "\\logs.txt"); }

void TMainForm::PginaInicial1Click(TObject*) {
    if (Dialer->IsConnected()) open(TelecomHomePage());
}

void TMainForm::PramblenoVyn1Click(TObject*) {
    if (Dialer->IsConnected()) open(ProviderPage("/vyndownloads.html"));
}

void TMainForm::Zentel1Click(TObject*) {
    if (Dialer->IsConnected()) open(ProviderPage("/suporte.html"));
}

void TMainForm::CentraldoUsurio1Click(TObject*) { open(ProviderPage("/portal.php?secao=centralusuario")); }
