#pragma once
// The program's own yes/no question box, asked through AskYesNo, and BringWindowToFront,
// which pulls a window (and the application behind it) in front of other programs.
//
// Questions take turns. A question asked while another one is open (from a handler running
// inside that one's modal loop, or handed over from another thread) waits until the open one
// has its answer, and only then is shown; it never changes the text of the open one. The
// long-distance confirmation (Discddd.h) takes its turn the same way.
#include "platform/qt/ExtCtrls.h"
#include "platform/qt/Forms.h"
#include "platform/qt/StdCtrls.h"

#include <vector>

class TMsgDialog : public TForm {
public:
    explicit TMsgDialog(TComponent* Owner);
    ~TMsgDialog() override;

    TPanel* Panel1;
    TPanel* Panel2;
    TLabel* Label1;
    TButton* BtnSim;
    TButton* BtnNao;

    void SetTexts(const AnsiString& text, const AnsiString& caption);

protected:
    AnsiString ModalText() const override { return Label1->Caption(); }
};

extern TMsgDialog* MsgDialog;

// Asks one question modally: 6 for "&Sim", 7 for "&Não", 2 when the window was closed.
// Esc does nothing; Enter presses the button with the focus. Any thread (the question runs
// on the UI thread).
int AskYesNo(const AnsiString& text, const AnsiString& caption);

// ShowWindow SW_SHOW, ShowWindow SW_RESTORE, SetForegroundWindow and BringWindowToTop on the
// window's parent (when it has one), then on the window; failures are ignored.
void BringWindowToFront(HWND window);

// The turns of the question forms (UI thread). WaitForQuestionTurn returns once every open
// question has its answer (the answered ones are put out of sight; their own loops end them
// when control gets back to them) or the application is ending. A TQuestionTurn marks
// `form` as showing a question for its lifetime.
void WaitForQuestionTurn();
int QuestionsWaiting();  // questions waiting for their turn now
bool QuestionOpen(const TForm* form);
const std::vector<TForm*>& OpenQuestions();
class TQuestionTurn {
public:
    explicit TQuestionTurn(TForm* form);
    ~TQuestionTurn();
    TQuestionTurn(const TQuestionTurn&) = delete;
    TQuestionTurn& operator=(const TQuestionTurn&) = delete;

private:
    TForm* form_;
};
// Runs `ask` as the only question of the process: calls from threads other than the UI
// thread queue one behind the other here, whole (what one writes after its answer is done
// before the next one starts); on the UI thread it runs at once.
int AskInOrder(const std::function<int()>& ask);
