#include "Msgdlg.h"

#include "platform/Application.h"
#include "platform/UiThread.h"
#include "platform/qt/WinUser.h"

#include <algorithm>
#include <memory>
#include <mutex>

TMsgDialog* MsgDialog = nullptr;

namespace {
std::vector<TForm*> gOpenQuestions;  // UI thread; the innermost last
std::mutex gOrderMutex;              // questions from other threads, one at a time
int gWaiting = 0;                    // UI thread

bool unanswered(const TForm* f) { return f->Visible() && f->ModalResult() == mrNone; }
}  // namespace

TMsgDialog::TMsgDialog(TComponent* Owner) : TForm(Owner) {
    SetName("MsgDialog");
    SetCaption("MsgDialog");
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    SetPosition(poDesktopCenter);
    SetClientSize(288, 166);

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetBevelOuter(bvNone);
    Panel1->SetHeight(41);
    Panel1->SetAlign(alBottom);
    Panel1->SetTabOrder(0);

    BtnSim = new TButton(Panel1);
    BtnSim->SetName("BtnSim");
    BtnSim->SetCaption("&Sim");
    BtnSim->SetBounds(8, 8, 75, 25);
    BtnSim->SetAnchors(akLeft | akBottom);
    BtnSim->SetModalResult(mrYes);
    BtnSim->SetTabOrder(0);

    BtnNao = new TButton(Panel1);
    BtnNao->SetName("BtnNao");
    BtnNao->SetCaption("&Não"_a);
    BtnNao->SetBounds(204, 8, 75, 25);
    BtnNao->SetAnchors(akRight | akBottom);
    BtnNao->SetModalResult(mrNo);
    BtnNao->SetTabOrder(1);

    Panel2 = new TPanel(this);
    Panel2->SetName("Panel2");
    Panel2->SetBevelOuter(bvNone);
    Panel2->SetBorderWidth(20);
    Panel2->SetAlign(alClient);
    Panel2->SetTabOrder(1);

    Label1 = new TLabel(Panel2);
    Label1->SetName("Label1");
    Label1->SetWordWrap(true);
    Label1->SetAlign(alClient);
    Label1->SetCaption("texto");
}

TMsgDialog::~TMsgDialog() = default;

void TMsgDialog::SetTexts(const AnsiString& text, const AnsiString& caption) {
    Label1->SetCaption(text);
    SetCaption(caption);
}

int AskYesNo(const AnsiString& text, const AnsiString& caption) {
    return AskInOrder([&] {
        WaitForQuestionTurn();
        BringWindowToFront(Application->Handle());
        // The program's one dialog, unless an answered question still holds it further down
        // (its loop has not had control back yet): then one like it.
        std::unique_ptr<TMsgDialog> spare;
        TMsgDialog* dialog = MsgDialog;
        if (!dialog || QuestionOpen(dialog)) {
            spare = std::make_unique<TMsgDialog>(nullptr);
            dialog = spare.get();
        }
        dialog->SetTexts(text, caption);
        // Every question starts on "&Sim", whatever answered the last one.
        dialog->SetActiveControl(dialog->BtnSim);
        TQuestionTurn turn(dialog);
        return dialog->ShowModal();
    });
}

void BringWindowToFront(HWND window) {
    if (HWND parent = GetParent(window)) {
        ShowWindow(parent, SW_SHOW);
        ShowWindow(parent, SW_RESTORE);
        SetForegroundWindow(parent);
        BringWindowToTop(parent);
    }
    ShowWindow(window, SW_SHOW);
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    BringWindowToTop(window);
}

void WaitForQuestionTurn() {
    auto waiting = [] { return std::any_of(gOpenQuestions.begin(), gOpenQuestions.end(), unanswered); };
    if (waiting()) {
        ++gWaiting;
        while (waiting() && !Application->Terminated()) Application->HandleMessage();
        --gWaiting;
    }
    for (TForm* f : gOpenQuestions) f->Hide();
}

int QuestionsWaiting() { return gWaiting; }

bool QuestionOpen(const TForm* form) {
    return std::find(gOpenQuestions.begin(), gOpenQuestions.end(), form) != gOpenQuestions.end();
}

const std::vector<TForm*>& OpenQuestions() { return gOpenQuestions; }

TQuestionTurn::TQuestionTurn(TForm* form) : form_(form) { gOpenQuestions.push_back(form); }

TQuestionTurn::~TQuestionTurn() {
    auto it = std::find(gOpenQuestions.rbegin(), gOpenQuestions.rend(), form_);
    if (it != gOpenQuestions.rend()) gOpenQuestions.erase(std::next(it).base());
}

int AskInOrder(const std::function<int()>& ask) {
    if (IsUiThread()) return ask();
    std::lock_guard lock(gOrderMutex);
    return CallOnUiThread(ask);
}
