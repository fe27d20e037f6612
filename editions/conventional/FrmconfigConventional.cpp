#include "FrmconfigConventional.h"

#include "app/Msgdlg.h"
#include "platform/Dialogs.h"
#include "settings/Conf.h"
#include "settings/Xmlvyn.h"

namespace {
// The destination block's height: every control of Mirvane's dialog sits this much lower.
constexpr int kBlockHeight = 96;
constexpr int kListRows = 21;
const AnsiString kChooseCity = "Escolha a cidade";

TComboBox* list(TFormConfigConventional* form, const char* name, int left, int top, int width, int tab) {
    auto* c = new TComboBox(form);
    c->SetName(name);
    c->SetStyle(csDropDownList);
    c->SetDropDownCount(kListRows);
    c->SetBounds(left, top, width, 21);
    c->SetTabOrder(tab);
    return c;
}

TEdit* edit(TFormConfigConventional* form, const char* name, int top, int tab) {
    auto* e = new TEdit(form);
    e->SetName(name);
    e->SetBounds(234, top, 23, 21);
    e->SetTabOrder(tab);
    return e;
}

// A number of the settings as its edit shows it: nothing for 0 or less.
AnsiString shown(int value) { return value > 0 ? IntToStr(value) : AnsiString(); }
}  // namespace

TFormConfigConventional::TFormConfigConventional(TComponent* Owner) : TFormConfig(Owner) {
    TControl* below[] = {Label6,         EditConfLinhaExterna, Label2,  EditConfChamada, Label3,
                         ComboBoxModems, RadioGroupTomPulso,   Button1, ButtonOk,        ButtonCancel};
    for (TControl* c : below) {
        c->SetTop(c->Top() + kBlockHeight);
        if (c->TabOrder() >= 0) c->SetTabOrder(c->TabOrder() + 4);
    }
    SetClientSize(274, 323);

    Label1 = RowLabel("Label1", 16, 12, 73, "Discando para:");
    ComboBoxEstado = list(this, "ComboBoxEstado", 93, 12, 49, 0);
    ComboBoxEstado->OnClick = [this](TObject* s) { ComboBoxEstadoClick(s); };
    ComboBoxCidade = list(this, "ComboBoxCidade", 16, 36, 241, 1);
    Label4 = RowLabel("Label4", 16, 60, 214, "DDD de sua cidade, se necessário:"_a);
    EditConfDDD = edit(this, "EditConfDDD", 60, 2);
    Label5 = RowLabel("Label5", 16, 84, 214, "Operadora de longa distância, se necessário:"_a);
    EditConfOperadora = edit(this, "EditConfOperadora", 84, 3);
}

void TFormConfigConventional::FormShow(TObject* Sender) {
    if (!Conf || !XMLvyn) return;
    XMLvyn->FillStateList(*ComboBoxEstado->Items());
    ComboBoxCidade->Items()->Clear();
    EditConfDDD->SetText(shown(Conf->GetDDD()));
    EditConfOperadora->SetText(shown(Conf->GetOperadora()));
    TFormConfig::FormShow(Sender);
    AnsiString state = Conf->GetEstado();
    if (state.size() != 2) return;
    // The program's own choices fire no click: the stored city survives them.
    ComboBoxEstado->SetItemIndex(ComboBoxEstado->Items()->IndexOf(state));
    fillCities();
    ComboBoxCidade->SetItemIndex(ComboBoxCidade->Items()->IndexOf(Conf->GetCidade()));
}

void TFormConfigConventional::ComboBoxEstadoClick(TObject*) {
    if (!XMLvyn) return;
    fillCities();
    ComboBoxCidade->SetItemIndex(0);
}

void TFormConfigConventional::fillCities() {
    XMLvyn->FillCityList(*ComboBoxCidade->Items(), ComboBoxEstado->Text());
    ComboBoxCidade->Items()->Insert(0, kChooseCity);
}

bool TFormConfigConventional::ReadNumber(TEdit* edit, int& value, const AnsiString& message) {
    AnsiString text = edit->Text();
    if (text.empty()) return true;
    long long number = 0;
    if (TryStrToInt(text, number)) {
        value = static_cast<int>(number);
        return true;
    }
    ShowMessage(message);
    edit->SetFocus();
    return false;
}

bool TFormConfigConventional::CheckEntries(TEntries& entries) {
    auto refuse = [](TControl* control, const AnsiString& message) {
        ShowMessage(message);
        control->SetFocus();
        return false;
    };
    if (ComboBoxEstado->Text().size() != 2)
        return refuse(ComboBoxEstado, "Selecione o estado para onde deseja conectar.");
    AnsiString city = ComboBoxCidade->Text();
    if (city.empty() || city == kChooseCity)
        return refuse(ComboBoxCidade, "Selecione a cidade para onde deseja conectar.");
    return ReadNumber(EditConfDDD, entries.areaCode, "Número do DDD inválido."_a) &&
           ReadNumber(EditConfOperadora, entries.carrier, "Número da Operadora inválido."_a) &&
           TFormConfig::CheckEntries(entries);
}

bool TFormConfigConventional::ConfirmEntries(const TEntries& entries) {
    if (EditConfOperadora->Text().empty() || !XMLvyn) return true;
    // The area code the selection would bring; a city the list lacks leaves the last one.
    const phonelist::_prov* city = XMLvyn->FindCity(ComboBoxEstado->Text(), ComboBoxCidade->Text());
    int destination = city ? city->ddd : XMLvyn->GetDDD();
    if (entries.areaCode == destination) return true;
    AnsiString question =
        "Você estará efetuando uma ligação interurbana para conexão ao Vyn. Isto só é necessário caso sua cidade "
        "não esteja na lista de localidades onde o Vyn possui acesso. Quer continuar mesmo assim?"_a;
    if (AskYesNo(question, "Ruvozava Corvala") == mrYes) return true;
    ComboBoxCidade->SetFocus();
    return false;
}

void TFormConfigConventional::StoreEntries(const TEntries& entries) {
    TFormConfig::StoreEntries(entries);
    if (XMLvyn) XMLvyn->SelectCity(ComboBoxEstado->Text(), ComboBoxCidade->Text());
    Conf->SetDestination(ComboBoxEstado->Text(), ComboBoxCidade->Text());
}
