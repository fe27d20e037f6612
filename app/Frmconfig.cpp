#include "Frmconfig.h"

#include "connection/Dialer.h"
#include "connection/Ieconnection.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "settings/Conf.h"
#include "settings/Xmlvyn.h"

TFormConfig* FormConfig = nullptr;

namespace {
PFN_RasEditPhonebookEntryA gRasEditPhonebookEntry = nullptr;

const char* const kProgramTitle = "Ruvozava Corvala";

TButton* button(TFormConfig* form, const char* name, int left, int top, int width, const AnsiString& caption,
                int tab) {
    auto* b = new TButton(form);
    b->SetName(name);
    b->SetBounds(left, top, width, 25);
    b->SetCaption(caption);
    b->SetTabOrder(tab);
    return b;
}
}  // namespace

TFormConfig::TFormConfig(TComponent* Owner) : TForm(Owner) {
    SetName("FormConfig");
    SetCaption("FormConfig");
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    SetBorderStyle(bsToolWindow);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetClientSize(274, 228);

    Label6 = RowLabel("Label6", 16, 12, 121, "Para linha externa discar:");
    EditConfLinhaExterna = new TEdit(this);
    EditConfLinhaExterna->SetName("EditConfLinhaExterna");
    EditConfLinhaExterna->SetBounds(147, 12, 30, 21);
    EditConfLinhaExterna->SetTabOrder(0);

    Label2 = RowLabel("Label2", 16, 40, 201, "Para desativar chamada em espera discar:");
    EditConfChamada = new TEdit(this);
    EditConfChamada->SetName("EditConfChamada");
    EditConfChamada->SetBounds(227, 41, 30, 21);
    EditConfChamada->SetTabOrder(1);

    Label3 = RowLabel("Label3", 16, 64, 137, "Selecione o modem:");
    ComboBoxModems = new TComboBox(this);
    ComboBoxModems->SetName("ComboBoxModems");
    ComboBoxModems->SetStyle(csDropDownList);
    ComboBoxModems->SetBounds(16, 88, 241, 21);
    ComboBoxModems->SetTabOrder(2);

    RadioGroupTomPulso = new TRadioGroup(this);
    RadioGroupTomPulso->SetName("RadioGroupTomPulso");
    RadioGroupTomPulso->SetBounds(16, 120, 97, 57);
    RadioGroupTomPulso->SetCaption("Discagem por ");
    RadioGroupTomPulso->Items()->Add("Tom");
    RadioGroupTomPulso->Items()->Add("Pulso");
    RadioGroupTomPulso->SetTabOrder(3);

    Button1 = button(this, "Button1", 128, 120, 129, "Configurar DialUp", 4);
    ButtonOk = button(this, "ButtonOk", 16, 192, 75, "Ok", 5);
    ButtonOk->SetDefault(true);
    ButtonCancel = button(this, "ButtonCancel", 184, 192, 75, "Cancelar", 6);
    ButtonCancel->SetCancel(true);

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
    ButtonOk->OnClick = [this](TObject* s) { ButtonOkClick(s); };
    ButtonCancel->OnClick = [this](TObject* s) { ButtonCancelClick(s); };
    Button1->OnClick = [this](TObject* s) { Button1Click(s); };
}

TFormConfig::~TFormConfig() = default;

TLabel* TFormConfig::RowLabel(const char* name, int left, int top, int width, const AnsiString& caption) {
    auto* l = new TLabel(this);
    l->SetName(name);
    l->SetAutoSize(false);
    l->SetLayout(tlCenter);
    l->SetBounds(left, top, width, 22);
    l->SetCaption(caption);
    return l;
}

void TFormConfig::FormCreate(TObject*) {
    SetCaption("Configurar ");
    SetCaption(Caption() + kProgramTitle);
    // The form stays made without the editor; the program ends once back in its loop.
    rasLibrary_ = std::make_unique<TRasLibrary>();
    rasLibrary_->Need(gRasEditPhonebookEntry, "RasEditPhonebookEntryA").BoundOrQuit();
}

void TFormConfig::FormDestroy(TObject*) {
    rasLibrary_.reset();
    gRasEditPhonebookEntry = nullptr;
}

void TFormConfig::FormShow(TObject*) {
    if (!Conf) return;
    int outside = Conf->GetLinhaExterna();
    EditConfLinhaExterna->SetText(outside < 0 ? AnsiString() : IntToStr(outside));
    RadioGroupTomPulso->SetItemIndex(Conf->GetDiscagemPorTom() ? 0 : 1);
    ComboBoxModems->Items()->Clear();
    Conf->GetModems(*ComboBoxModems->Items());
    ComboBoxModems->SetItemIndex(ComboBoxModems->Items()->IndexOf(Conf->GetModem()));
    EditConfChamada->SetText(Conf->GetChamada());
}

// The state list exists only in the conventional-line edition's dialog.
void TFormConfig::ComboBoxEstadoClick(TObject*) {}

bool TFormConfig::ReadOutsideLine(int& value) {
    AnsiString text = EditConfLinhaExterna->Text();
    if (text.empty()) {
        value = -1;
        return true;
    }
    long long number = 0;
    // -1 is "none"; anything below it would reach the dial string as a prefix of its own.
    if (TryStrToInt(text, number) && number >= -1) {
        value = static_cast<int>(number);
        return true;
    }
    ShowMessage("Número para discar para a linha externa inválido."_a);
    EditConfLinhaExterna->SetFocus();
    return false;
}

bool TFormConfig::ReadCallWaiting(AnsiString& value) {
    value = EditConfChamada->Text();
    if (value.find_first_of(std::string("\r\n\0", 3)) == AnsiString::npos) return true;
    ShowMessage("Código para desativar chamada em espera inválido: não use quebras de linha."_a);
    EditConfChamada->SetFocus();
    return false;
}

bool TFormConfig::CheckEntries(TEntries& entries) {
    return ReadOutsideLine(entries.outsideLine) && ReadCallWaiting(entries.callWaiting);
}

void TFormConfig::StoreEntries(const TEntries& entries) {
    Conf->SetModem(ComboBoxModems->Text());
    Conf->SetDialing(entries.areaCode, entries.carrier, entries.outsideLine, RadioGroupTomPulso->ItemIndex() == 0,
                     entries.callWaiting);
}

void TFormConfig::ButtonOkClick(TObject*) {
    TEntries entries;
    if (!Conf || !CheckEntries(entries) || !ConfirmEntries(entries)) return;
    StoreEntries(entries);
    Conf->Save();
    // Every confirmation makes the entry the default connection, without a question.
    if (IEConnection) IEConnection->SetDefault(Dialer ? Dialer->EntryName() : AnsiString());
    WriteDUN();
    SetModalResult(mrOk);
}

void TFormConfig::ButtonCancelClick(TObject*) { SetModalResult(mrCancel); }

void TFormConfig::Button1Click(TObject*) {
    if (!gRasEditPhonebookEntry) return;
    AnsiString entry = Dialer ? Dialer->EntryName() : AnsiString();
    gRasEditPhonebookEntry(nullptr, nullptr, entry.c_str());
}

void TFormConfig::WriteDUN() {
    AnsiString phone = XMLvyn ? XMLvyn->GetPhone() : AnsiString("***");
    if (!Dialer) return;
    AnsiString dial = Dialer->BuildDialString(phone);
    if (phone != "***") Dialer->UpdateEntry(dial);
}
