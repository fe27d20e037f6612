// Brenwick's main window: its skin, panels, tray menu and first showing. Painting, the
// mouse, the hover timer and the commands are in MainConventionalInput.cpp.
#include "MainConventional.h"

#include "connection/Dialer.h"
#include "platform/Dialogs.h"
#include "settings/Conf.h"
#include "settings/Xmlvyn.h"

namespace {
// The colours of the texts on the skin's display (0x00BBGGRR).
constexpr TColor kHeading = 0xFFD37F;     // #7FD3FF
constexpr TColor kText = 0xFFE8CF;        // #CFE8FF
constexpr TColor kDialLink = 0x5AC2FF;    // #FFC25A
constexpr TColor kHangUpLink = 0xFBF0E6;  // #E6F0FB

// This edition's pictures are embedded under their names in a set of their own, since
// Mirvane's skin holds the name "BMP1" too.
AnsiString picture(const char* name) { return AnsiString("Conventional/") + name; }

TMenuItem* item(TComponent* owner, const char* name, const AnsiString& caption) {
    auto* i = new TMenuItem(owner);
    i->SetName(name);
    i->Caption = caption;
    return i;
}
}  // namespace

const std::vector<TPoint>& ConventionalOutline() {
    static const std::vector<TPoint> points = [] {
        std::vector<TPoint> p = CorvalaOutline();
        for (std::size_t i = 0; i + 1 < p.size(); ++i)
            if (p[i].x == 313 && p[i].y == 75) {
                p.insert(p.begin() + static_cast<std::ptrdiff_t>(i) + 1, TPoint{323, 83});
                break;
            }
        return p;
    }();
    return points;
}

const std::vector<TZoneShape>& ConventionalZones() {
    static const std::vector<TZoneShape> zones = [] {
        // Mirvane's emblem, minimise marks and help first, in the same order.
        std::vector<TZoneShape> z(CorvalaZones().begin(), CorvalaZones().begin() + 4);
        z.push_back({szSettings, {{214, 47}, {230, 80}, {241, 107}, {336, 121}, {332, 76}, {268, 56}}});
        z.push_back({szNewUser, {{333, 75}, {410, 109}, {419, 143}, {337, 121}}});
        z.push_back({szOtherEdition, {{102, 242}, {209, 249}, {209, 288}, {102, 286}, {102, 242}}});
        return z;
    }();
    return zones;
}

TMainFormConventional::TMainFormConventional(TComponent* Owner) : TMainForm(Owner) {
    SetSkin(ConventionalOutline(), ConventionalZones());
    TrayIcon1->SetHint("Brenwick");
    buildMenu();

    Label2->Font()->SetColor(kHeading);
    for (TLabel* l : {Label3, Label7, Label8}) l->Font()->SetColor(kText);
    LabelDialDiscar->Font()->SetColor(kDialLink);
    Label10->Font()->SetColor(kDialLink);
    Label9->Font()->SetColor(kHangUpLink);
    Label11->Font()->SetColor(kHangUpLink);
    ImageSouNovo->OnClick = [this](TObject* s) { ImageSouNovoClick(s); };

    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetInterval(500);
    Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };
}

TMainFormConventional::~TMainFormConventional() {
    // The timer's handler reaches this window's fields: it goes before them.
    DestroyComponents();
}

void TMainFormConventional::buildMenu() {
    // Mirvane's three items stay; the others go between "Restaurar" and "Desconectar".
    Histricodeconexes1 = item(this, "Histricodeconexes1", "Histórico de conexões"_a);
    Checaremails1 = item(this, "Checaremails1", "Checar e-mails");
    Checagemautomticadeemails1 = item(this, "Checagemautomticadeemails1", "Checagem automática de e-mails"_a);
    Checagemautomticadeemails1->Checked = true;
    Criarnovaconta1 = item(this, "Criarnovaconta1", "Criar novo usuário"_a);
    Links1 = item(this, "Links1", "Links");
    PginaInicial1 = item(this, "PginaInicial1", "Portal Vyn");
    PramblenoVyn1 = item(this, "PramblenoVyn1", "VynDownloads");
    Zentel1 = item(this, "Zentel1", "VynSuporte");
    CentraldoUsurio1 = item(this, "CentraldoUsurio1", "Central do Usuário"_a);
    N2 = item(this, "N2", "-");
    for (TMenuItem* i : {PginaInicial1, PramblenoVyn1, Zentel1, CentraldoUsurio1}) Links1->Add(i);
    // Add moves an item that is in the menu already to its end.
    for (TMenuItem* i : {Histricodeconexes1, Checaremails1, Checagemautomticadeemails1, Criarnovaconta1, Links1, N2,
                         Desconectar2, Desconectar1})
        PopupMenu1->Add(i);

    Histricodeconexes1->OnClick = [this](TObject* s) { Histricodeconexes1Click(s); };
    Checaremails1->OnClick = [this](TObject* s) { Checaremails1Click(s); };
    Checagemautomticadeemails1->OnClick = [this](TObject* s) { Checagemautomticadeemails1Click(s); };
    Criarnovaconta1->OnClick = [this](TObject* s) { Criarnovaconta1Click(s); };
    PginaInicial1->OnClick = [this](TObject* s) { PginaInicial1Click(s); };
    PramblenoVyn1->OnClick = [this](TObject* s) { PramblenoVyn1Click(s); };
    Zentel1->OnClick = [this](TObject* s) { Zentel1Click(s); };
    CentraldoUsurio1->OnClick = [this](TObject* s) { CentraldoUsurio1Click(s); };
}

void TMainFormConventional::LoadPictures() {
    auto load = [](std::unique_ptr<TBitmap>& bitmap, const char* name) {
        bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromResourceName(picture(name));
    };
    load(BMP1, "BMP1");
    load(BMP3, "BMP3");
    load(BMP4, "BMP4");
}

void TMainFormConventional::FreePictures() {
    TMainForm::FreePictures();
    BMP3.reset();
    BMP4.reset();
}

void TMainFormConventional::FormShow(TObject*) {
    shown = true;
    SetPanel(1);
    Checagemautomticadeemails1->Checked = Conf->GetAutoCheckMail();
    fillLogins();
    if (configured) {
        XMLvyn->SelectCity(Conf->GetEstado(), Conf->GetCidade());
        OfferDefaultConnection();
    } else {
        ShowMessage("O Ruvozava Corvala ainda não foi configurado para uso em linha convencional."_a);
        mustConfigure = true;
        SetPanel(2);
    }
}

void TMainFormConventional::ShowLoginPanel(bool show) {
    if (show) {
        fillLogins();
        EditSenha->SetText("");
    }
    for (TControl* c :
         {static_cast<TControl*>(Label2), static_cast<TControl*>(Label3), static_cast<TControl*>(ComboBoxLogin),
          static_cast<TControl*>(Label8), static_cast<TControl*>(Label7), static_cast<TControl*>(EditSenha),
          static_cast<TControl*>(LabelDialDiscar), static_cast<TControl*>(Label9)})
        c->SetVisible(show);
    // Safe while the window is hidden: it takes the focus when it shows.
    if (show) ComboBoxLogin->SetFocus();
}

void TMainFormConventional::ShowStatusPanel(bool show) {
    Memo1->SetVisible(show);
    Label10->SetVisible(show);
    Label11->SetVisible(show);
}

void TMainFormConventional::ShowWelcomePanel(bool show) {
    ImageJaSouUsuario->SetVisible(show);
    ImageSouNovo->SetVisible(show);
}
