// The main window's life cycle: its components, the service objects it owns, the first
// showing, the panels, the close question, the restore from the tray and the activation by
// a second start. Painting and input are in MainInput.cpp, the commands in MainCommands.cpp.
#include "Main.h"

#include "Discddd.h"
#include "Frmconfig.h"
#include "Msgdlg.h"

#include "connection/Dialer.h"
#include "connection/Ieconnection.h"
#include "connection/Registravyn.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "settings/Checamail.h"
#include "settings/Conf.h"
#include "settings/Edition.h"
#include "settings/Erros.h"
#include "settings/Hosts.h"
#include "settings/Log.h"
#include "settings/Logcon.h"
#include "settings/Xmlvyn.h"

TMainForm* MainForm = nullptr;

namespace {
// The status view's colours on the skin's display.
constexpr TColor kDisplayBackground = 0x38210C;  // #0C2138
constexpr TColor kDisplayText = 0xFFE8CF;        // #CFE8FF

template <class T>
T* make(TMainForm* form, const char* name, int left, int top, int width, int height) {
    T* c = new T(form);
    c->SetName(name);
    c->SetBounds(left, top, width, height);
    c->SetVisible(false);
    return c;
}

TLabel* label(TMainForm* form, const char* name, const AnsiString& caption, int left, int top, int width,
              int height) {
    TLabel* l = make<TLabel>(form, name, left, top, width, height);
    l->SetAutoSize(false);
    l->SetCaption(caption);
    return l;
}

TLabel* link(TMainForm* form, const char* name, const AnsiString& caption, int left, int top, int width,
             bool centred) {
    TLabel* l = label(form, name, caption, left, top, width, 14);
    l->Font()->SetStyle(fsBold);
    l->SetCursor(crHandPoint);
    if (centred) l->SetAlignment(taCenter);
    return l;
}

TMenuItem* item(TMainForm* form, TPopupMenu* menu, const char* name, const AnsiString& caption) {
    auto* i = new TMenuItem(form);
    i->SetName(name);
    i->Caption = caption;
    menu->Add(i);
    return i;
}

// The service objects made so far, as the next one is handed them, and the edition the
// program's start chose.
TServices globalServices() { return {Logger, XMLvyn, Conf, ChecaMail, Erros, LogCon, ProgramEdition}; }

template <class T>
void remove(T*& object) {
    delete object;
    object = nullptr;
}
}  // namespace

TMainForm::TMainForm(TComponent* Owner) : TForm(Owner) {
    SetName("MainForm");
    buildComponents();
    // The regions of the window shape and the zones.
    skin = std::make_unique<TSkinRegions>(CorvalaOutline(), CorvalaZones());
    // The tray images: normal and new mail, lime being see-through.
    TBitmap picture;
    picture.LoadFromResourceName("BMPST1");
    ImageList1->AddMasked(picture, clLime);
    picture.LoadFromResourceName("BMPST2");
    ImageList1->AddMasked(picture, clLime);
    shown = false;
}

TMainForm::~TMainForm() {
    // The components' handlers point back here: they go before the form's own fields.
    DestroyComponents();
}

void TMainForm::buildComponents() {
    SetBorderStyle(bsNone);
    SetBorderIcons(0);
    SetPosition(poScreenCenter);
    KeyPreview = true;
    SetColor(clSilver);
    Font()->SetName("Arial");
    Font()->SetHeight(-11);
    SetClientSize(506, 266);

    TrayIcon1 = new TTrayIcon(this);
    TrayIcon1->SetName("TrayIcon1");
    TrayIcon1->SetHint(kProgramTitle);
    TrayIcon1->SetHide(true);
    TrayIcon1->RestoreOn = imDoubleClick;
    TrayIcon1->PopupMenuOn = imRightClickUp;
    TrayIcon1->OnRestore = [this](TObject* s) { TrayIcon1Restore(s); };
    ImageList1 = new TImageList(this);
    ImageList1->SetName("ImageList1");
    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    Restaurar1 = item(this, PopupMenu1, "Restaurar1", "Restaurar");
    Desconectar2 = item(this, PopupMenu1, "Desconectar2", "Desconectar");
    Desconectar1 = item(this, PopupMenu1, "Desconectar1", "Sair");
    Restaurar1->OnClick = [this](TObject* s) { Restaurar1Click(s); };
    Desconectar2->OnClick = [this](TObject* s) { Desconectar2Click(s); };
    Desconectar1->OnClick = [this](TObject* s) { Desconectar1Click(s); };
    TrayIcon1->SetPopupMenu(PopupMenu1);

    Label2 = label(this, "Label2", "Informações do Usuário:"_a, 203, 162, 118, 14);
    Label3 = label(this, "Label3", "Usuário:"_a, 203, 186, 45, 22);
    Label3->SetLayout(tlCenter);
    ComboBoxLogin = make<TComboBox>(this, "ComboBoxLogin", 249, 186, 81, 22);
    ComboBoxLogin->SetMaxLength(16);
    ComboBoxLogin->SetDropDownCount(15);
    ComboBoxLogin->SetTabOrder(0);
    Label8 = label(this, "Label8", "@" + kMailDomain, 332, 186, 65, 22);
    Label8->SetLayout(tlCenter);
    Label7 = label(this, "Label7", "Senha:", 203, 210, 45, 22);
    Label7->SetLayout(tlCenter);
    EditSenha = make<TEdit>(this, "EditSenha", 249, 210, 81, 22);
    EditSenha->SetMaxLength(256);
    EditSenha->SetPasswordChar('*');
    EditSenha->SetTabOrder(1);
    LabelDialDiscar = link(this, "LabelDialDiscar", "Discar", 240, 256, 41, true);
    LabelDialDiscar->OnClick = [this](TObject* s) { LabelDialDiscarClick(s); };
    Label9 = link(this, "Label9", "Desconectar", 304, 256, 81, true);
    Label9->OnClick = [this](TObject* s) { Label9Click(s); };

    Memo1 = make<TMemo>(this, "Memo1", 190, 159, 201, 81);
    Memo1->SetBorderStyle(bsNoBorder);
    Memo1->SetReadOnly(true);
    Memo1->SetScrollBars(ssVertical);
    Memo1->SetTabOrder(2);
    Memo1->SetColor(kDisplayBackground);
    Memo1->Font()->SetColor(kDisplayText);

    Label10 = link(this, "Label10", "Rediscar", 235, 256, 48, false);
    Label10->OnClick = [this](TObject* s) { LabelDialDiscarClick(s); };
    Label11 = link(this, "Label11", "Desconectar", 304, 256, 81, true);
    Label11->OnClick = [this](TObject* s) { Label11Click(s); };

    ImageJaSouUsuario = make<TImage>(this, "ImageJaSouUsuario", 219, 170, 150, 16);
    ImageSouNovo = make<TImage>(this, "ImageSouNovo", 219, 208, 201, 15);
    TBitmap picture;
    picture.LoadFromResourceName("ImageJaSouUsuario");
    ImageJaSouUsuario->SetPicture(picture);
    picture.LoadFromResourceName("ImageSouNovo");
    ImageSouNovo->SetPicture(picture);
    ImageJaSouUsuario->SetCursor(crHandPoint);
    ImageSouNovo->SetCursor(crHandPoint);
    ImageJaSouUsuario->OnClick = [this](TObject* s) { ImageJaSouUsuarioClick(s); };

    OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
    OnKeyPress = [this](TObject* s, char& key) { FormKeyPress(s, key); };
    OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseDown(s, b, sh, x, y); };
    OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { FormMouseMove(s, sh, x, y); };
    OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) { FormMouseUp(s, b, sh, x, y); };
    OnPaint = [this](TObject* s) { FormPaint(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
}

void TMainForm::SetSkin(const std::vector<TPoint>& outline, const std::vector<TZoneShape>& zones) {
    skin = std::make_unique<TSkinRegions>(outline, zones);
}

void TMainForm::FormCreate(TObject*) {
    try {
        makeServices();
    } catch (...) {
        // The program cannot run without its service objects: the error is told once and
        // the start ends as a normal end does (boxes asked from now on are not shown).
        Application->HandleException(std::current_exception());
        Application->Terminate();
    }
}

void TMainForm::makeServices() {
    SetBounds(Left(), Top(), kSkinWidth, kSkinHeight);
    Application->OnRestore = [this](TObject* s) { OnRestore(s); };
    overButton = false;
    WindowLink = this;
    Logger = new TLogger;
    Logger->SetView(Memo1->Lines());
    XMLvyn = new TXMLvyn(globalServices());
    XMLvyn->Load("tels");
    Conf = new TConf(globalServices());
    configured = Conf->Load();
    ChecaMail = new TChecaMail(globalServices(), this);
    Erros = new TErros(globalServices());
    LogCon = new TLogCon(globalServices());
    Dialer = new TDialer(globalServices(), WindowLink);
    IEConnection = new TIEConnection(globalServices(), Dialer->GetAutodialAddressEntry(),
                                     Dialer->SetAutodialAddressEntry());
    dragging = false;
    mustConfigure = false;
    LoadPictures();
    TrayIcon1->SetIcons(ImageList1);
    TrayIcon1->SetIconIndex(0);
    TrayIcon1->SetVisible(true);
    SetWindowRgn(Handle(), skin->NewWindowShape(), true);
    SetCaption(kProgramTitle);
    RegisterDialerPath(RecordedProgramName());
    servicesMade = true;
}

void TMainForm::LoadPictures() {
    auto load = [](std::unique_ptr<TBitmap>& bitmap, const char* name) {
        bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromResourceName(name);
    };
    load(BMP1, "BMP1");
    load(BMPCONON, "BMPCONON");
    load(BMPCONOFF, "BMPCONOFF");
    load(BMPDESON, "BMPDESON");
    load(BMPDESOFF, "BMPDESOFF");
}

void TMainForm::FreePictures() {
    BMP1.reset();
    BMPCONON.reset();
    BMPCONOFF.reset();
    BMPDESON.reset();
    BMPDESOFF.reset();
}

void TMainForm::FormDestroy(TObject*) {
    // No notification and no connected sequence may reach the objects below once they go.
    if (Dialer) Dialer->Shutdown();
    WindowLink = nullptr;
    if (Logger) Logger->Save();
    remove(IEConnection);
    remove(LogCon);
    remove(Erros);
    remove(XMLvyn);
    remove(Conf);
    remove(Dialer);
    remove(ChecaMail);
    if (Logger) Logger->SetView(nullptr);
    remove(Logger);
    FreePictures();
    if (Application->OnRestore) Application->OnRestore = nullptr;
}

void TMainForm::fillLogins() {
    ComboBoxLogin->Items()->Clear();
    for (const AnsiString& login : Conf->GetUsers()) ComboBoxLogin->Items()->Add(login);
}

void TMainForm::FormShow(TObject*) {
    if (!servicesMade) return;
    shown = true;
    SetPanel(1);
    fillLogins();
    if (configured) {
        XMLvyn->SelectCity(Conf->GetEstado(), Conf->GetCidade());
        OfferDefaultConnection();
    } else {
        ShowMessage("O " + kProgramTitle + " ainda não foi configurado."_a);
        mustConfigure = true;
        SetPanel(2);
    }
    if (IEConnection->GetWaitDialTone()) IEConnection->SetWaitDialTone(false);
}

void TMainForm::OfferDefaultConnection() {
    AnsiString entry = Dialer->EntryName();
    if (IEConnection->IsDefault(entry)) return;
    AnsiString question = "O " + kProgramTitle + " não é o discador padrão.\nDeseja torná-lo seu discador padrão?"_a;
    if (AskYesNo(question, kProgramTitle) == mrYes) IEConnection->SetDefault(entry);
}

void TMainForm::SetPanel(int newState) {
    if (!servicesMade) return;
    if (!shown) FormShow(this);
    switch (newState) {
    case 2:
        ShowLoginPanel(false);
        ShowStatusPanel(false);
        ShowWelcomePanel(false);
        ShowConfigPanel(true);
        break;
    case 3:
        ShowLoginPanel(false);
        ShowConfigPanel(false);
        ShowWelcomePanel(false);
        ShowStatusPanel(true);
        state = 3;
        break;
    case 4:
        ShowLoginPanel(false);
        ShowConfigPanel(false);
        ShowStatusPanel(false);
        ShowWelcomePanel(true);
        state = 4;
        break;
    default:
        ShowConfigPanel(false);
        ShowStatusPanel(false);
        ShowWelcomePanel(false);
        ShowLoginPanel(true);
        state = newState;
        break;
    }
}

void TMainForm::ShowLoginPanel(bool show) {
    if (show) {
        fillLogins();
        EditSenha->SetText("");
    }
    // This edition connects from the skin alone: the login controls never show.
    for (TControl* c :
         {static_cast<TControl*>(Label2), static_cast<TControl*>(Label3), static_cast<TControl*>(Label7),
          static_cast<TControl*>(Label8), static_cast<TControl*>(LabelDialDiscar), static_cast<TControl*>(Label9),
          static_cast<TControl*>(ComboBoxLogin), static_cast<TControl*>(EditSenha)})
        c->SetVisible(false);
}

void TMainForm::ShowConfigPanel(bool show) {
    if (!show) return;
    int before = state;
    int result = FormConfig->ShowModal();
    if (mustConfigure) {
        if (result == mrOk) {
            // Configured now: a later pass through the dialog is an ordinary one.
            mustConfigure = false;
            SetPanel(4);
            return;
        }
        Close();
    }
    SetPanel(before);
}

void TMainForm::ShowStatusPanel(bool show) {
    Memo1->SetVisible(show);
    Label10->SetVisible(false);
    Label11->SetVisible(false);
}

void TMainForm::ShowWelcomePanel(bool) {
    ImageJaSouUsuario->SetVisible(false);
    ImageSouNovo->SetVisible(false);
}

void TMainForm::FormCloseQuery(TObject*, bool& CanClose) {
    CanClose = true;
    if (!Dialer) return;
    if (Dialer->IsDialing()) {
        ShowMessage("O discador está tentando conectar, finalize a conexão antes de fechar."_a);
        CanClose = false;
    } else if (Dialer->IsConnected() && !Dialer->IsExternal()) {
        int answer = Application->MessageBox("Você está conectado, deseja desconectar agora?"_a, kProgramTitle,
                                             MB_YESNOCANCEL);
        if (answer == IDYES) {
            Dialer->HangUp(true);
            SetPanel(1);
        } else if (answer == IDCANCEL) {
            CanClose = false;
        }
    }
}

void TMainForm::OnRestore(TObject*) {
    Application->SetShowMainForm(true);
    SetVisible(true);
    if (!shown) FormShow(this);
}

void TMainForm::TrayIcon1Restore(TObject* Sender) { OnRestore(Sender); }

void TMainForm::Dispatch(TMessage& message) {
    if (message.Msg == WM_ACTIVATEINSTANCE) {
        OnActivateInstance(message);
        return;
    }
    TForm::Dispatch(message);
}

void TMainForm::OnActivateInstance(TMessage& message) {
    BringWindowToFront(Application->Handle());
    TrayIcon1->Restore();
    message.Result = 1;
    TForm::Dispatch(message);
}

void TMainForm::Repaint() { Invalidate(); }

void TMainForm::SetTrayHint(const AnsiString& hint) { TrayIcon1->SetHint(hint); }

void TMainForm::ShowMailState(int image, const AnsiString& hint) {
    TrayIcon1->SetIconIndex(image);
    TrayIcon1->SetHint(hint);
    TrayIcon1->Update();
}

bool TMainForm::ConfirmLongDistance() { return frmDiscDDD->Confirm(); }

void TMainForm::BringToFront() { BringWindowToFront(Application->Handle()); }
