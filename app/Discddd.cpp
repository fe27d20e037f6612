#include "Discddd.h"

#include "Msgdlg.h"
#include "platform/Application.h"
#include "platform/IniFiles.h"
#include "settings/Log.h"

#include <memory>

TfrmDiscDDD* frmDiscDDD = nullptr;

namespace {
const char* const kSection = "Principal";
const char* const kKey = "AvisarDDD";

// An open confirmation further down that was just answered "&Sim" with the box ticked: its
// write comes only once its loop has control back, but it already means "not again".
bool silencedByOpenAnswer() {
    for (TForm* f : OpenQuestions())
        if (auto* d = dynamic_cast<TfrmDiscDDD*>(f); d && d->ModalResult() == mrYes && d->CheckBox1->Checked())
            return true;
    return false;
}
}  // namespace

TfrmDiscDDD::TfrmDiscDDD(TComponent* Owner) : TForm(Owner) {
    SetName("frmDiscDDD");
    SetCaption("Discagem DDD");
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetClientSize(297, 118);

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetAutoSize(false);
    Label1->SetWordWrap(true);
    Label1->SetBounds(8, 8, 279, 28);
    Label1->SetCaption("Você está fazendo uma discagem DDD. Deseja continuar?"_a);

    CheckBox1 = new TCheckBox(this);
    CheckBox1->SetName("CheckBox1");
    CheckBox1->SetBounds(8, 40, 169, 17);
    CheckBox1->SetCaption("Não perguntar novamente"_a);
    CheckBox1->SetTabOrder(0);

    BitBtn1 = new TBitBtn(this);
    BitBtn1->SetName("BitBtn1");
    BitBtn1->SetKind(bkYes);
    BitBtn1->SetBounds(24, 80, 75, 25);
    BitBtn1->SetCaption("&Sim");
    BitBtn1->SetTabOrder(1);

    BitBtn2 = new TBitBtn(this);
    BitBtn2->SetName("BitBtn2");
    BitBtn2->SetKind(bkNo);
    BitBtn2->SetBounds(200, 80, 75, 25);
    BitBtn2->SetCaption("&Não"_a);
    BitBtn2->SetTabOrder(2);
}

TfrmDiscDDD::~TfrmDiscDDD() = default;

bool TfrmDiscDDD::Confirm() {
    return AskInOrder([this] {
               WaitForQuestionTurn();
               TIniFile ini(ChangeFileExt(Application->ExeName(), ".ini"));
               if (!ini.ReadBool(kSection, kKey, true) || silencedByOpenAnswer()) return 1;

               // This form, unless an answered confirmation still holds it further down: then one
               // like it, with the same tick, which comes back here afterwards.
               std::unique_ptr<TfrmDiscDDD> spare;
               TfrmDiscDDD* form = this;
               if (QuestionOpen(this)) {
                   spare = std::make_unique<TfrmDiscDDD>(nullptr);
                   spare->CheckBox1->SetChecked(CheckBox1->Checked());
                   form = spare.get();
               }
               int answer;
               {
                   TQuestionTurn turn(form);
                   answer = form->ShowModal();
               }
               if (spare) CheckBox1->SetChecked(spare->CheckBox1->Checked());
               if (answer != mrYes) return 0;
               if (form->CheckBox1->Checked()) {
                   try {
                       ini.WriteBool(kSection, kKey, false);
                   } catch (const Exception&) {
                       // The user said yes: the call goes on, and the question comes back next time.
                       if (Logger)
                           Logger->Add("Não foi possível gravar \"Não perguntar novamente\" em "_a + ini.FileName() +
                                       ".");
                   }
               }
               return 1;
           }) != 0;
}
