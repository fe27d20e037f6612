#include "support/app/AppCase.h"

#include "app/Msgdlg.h"

#include <QLabel>
#include <atomic>
#include <thread>

namespace {
class MsgDialogCase : public AppCase {
protected:
    MsgDialogCase() { Application->CreateForm(MsgDialog); }
    ~MsgDialogCase() override {
        ReleaseApplicationForms();
        MsgDialog = nullptr;
    }
    // The question dialog on screen now (the program's or one like it), null when none.
    static TMsgDialog* Showing() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = dynamic_cast<TMsgDialog*>(TControl::ControlOf(w)); d && w->isVisible()) return d;
        return nullptr;
    }
};

// Runs `act` on the UI thread as soon as `ready` holds, looking again after each turn of
// whichever loop runs then.
void WhenTrue(std::function<bool()> ready, std::function<void()> act, int triesLeft = 1000000) {
    QueueOnUiThread([=] {
        if (ready() || triesLeft == 0) {
            EXPECT_GT(triesLeft, 0) << "never ready";
            act();
        } else {
            WhenTrue(ready, act, triesLeft - 1);
        }
    });
}

const AnsiString kDefaultQuestion =
    "O Ruvozava Corvala não é o discador padrão.\nDeseja torná-lo seu discador padrão?"_a;

TEST_F(MsgDialogCase, TheDialogIsLaidOutAsTheProgramsQuestionBox) {
    TMsgDialog* d = MsgDialog;
    EXPECT_EQ(d->Caption(), "MsgDialog");
    EXPECT_EQ(d->BtnSim->Caption(), "&Sim");
    EXPECT_EQ(d->BtnNao->Caption(), "&Não"_a);
    EXPECT_EQ(d->BtnSim->ModalResult(), mrYes);
    EXPECT_EQ(d->BtnNao->ModalResult(), mrNo);
    EXPECT_FALSE(d->BtnSim->Default() || d->BtnSim->Cancel() || d->BtnNao->Default() || d->BtnNao->Cancel());
    EXPECT_EQ(d->Panel1->Top() + d->Panel1->Height(), d->ClientHeight());
    EXPECT_EQ(d->BtnNao->Left() + d->BtnNao->Width(), d->Panel1->Width() - 9);

    // A long question wraps inside the 20-pixel border; the dialog keeps its size.
    int width = d->ClientWidth(), height = d->ClientHeight();
    d->SetTexts(AnsiString("Você estará efetuando uma ligação interurbana para conexão ao Vyn. Isto só é "
                           "necessário caso sua cidade não esteja na lista de localidades onde o Vyn possui "
                           "acesso. Quer continuar mesmo assim?"_a),
                "Ruvozava Corvala");
    EXPECT_EQ(d->Caption(), "Ruvozava Corvala");
    EXPECT_EQ(d->ClientWidth(), width);
    EXPECT_EQ(d->ClientHeight(), height);
    auto* label = static_cast<QLabel*>(d->Label1->Widget());
    EXPECT_EQ(label->mapTo(d->Widget(), QPoint(0, 0)), QPoint(20, 20));
    EXPECT_EQ(d->Label1->Width(), width - 40);
    EXPECT_TRUE(label->wordWrap());
    EXPECT_LE(label->heightForWidth(label->width()), label->height());
}

TEST_F(MsgDialogCase, AskYesNoAnswersByTheButtonsAndTheCloseBoxButNotEsc) {
    struct Case {
        const char* what;
        FormRobot::Step act;
        int answer;
    };
    auto dialog = [](TForm* f) { return static_cast<TMsgDialog*>(f); };
    const Case cases[] = {
        {"Sim", [&](TForm* f) { FormRobot::Press(dialog(f)->BtnSim); }, 6},
        {"Não", [&](TForm* f) { FormRobot::Press(dialog(f)->BtnNao); }, 7},
        {"Enter presses Sim, which has the focus", [](TForm* f) { FormRobot::Key(f, Qt::Key_Return); }, 6},
        {"Tab, then Enter presses Não",
         [](TForm* f) {
             FormRobot::Key(f, Qt::Key_Tab);
             FormRobot::Key(f, Qt::Key_Return);
         },
         7},
        {"Alt+N is Não's key", [](TForm* f) { FormRobot::Key(f, Qt::Key_N, Qt::AltModifier); }, 7},
        {"Esc does nothing; then the close box",
         [&](TForm* f) {
             FormRobot::Key(f, Qt::Key_Escape);
             EXPECT_TRUE(f->Widget()->isVisible());
             EXPECT_EQ(f->ModalResult(), mrNone);
             FormRobot::CloseBox(f);
         },
         2},
        {"the close box", [](TForm* f) { FormRobot::CloseBox(f); }, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FormRobot robot;
        robot.then([&](TForm* f) {
            EXPECT_EQ(f, MsgDialog);
            EXPECT_EQ(dialog(f)->Label1->Caption(), kDefaultQuestion);
            EXPECT_EQ(f->Caption(), "Ruvozava Corvala");
            c.act(f);
        });
        EXPECT_EQ(AskYesNo(kDefaultQuestion, "Ruvozava Corvala"), c.answer);
        EXPECT_TRUE(robot.done());
        EXPECT_FALSE(MsgDialog->Visible());
    }
    // Every question is on record with its text, caption and answer.
    auto boxes = RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), std::size(cases));
    EXPECT_EQ(boxes[0].text, kDefaultQuestion);
    EXPECT_EQ(boxes[0].caption, "Ruvozava Corvala");
    EXPECT_TRUE(boxes[0].flags & MB_MODALFORM);
}

TEST_F(MsgDialogCase, AskYesNoBringsTheApplicationForwardFirst) {
    std::vector<std::string> calls;
    SetWindowCallRecorder([&](const AnsiString& call, HWND w, int arg) {
        calls.push_back(call + (w == Application->Handle() ? " app " : " other ") + std::to_string(arg));
    });
    FormRobot robot;
    robot.then([&](TForm* f) {
        calls.push_back("shown");
        FormRobot::Press(static_cast<TMsgDialog*>(f)->BtnSim);
    });
    EXPECT_EQ(AskYesNo("Deseja continuar?", "Ruvozava Corvala"), 6);
    EXPECT_EQ(calls, (std::vector<std::string>{"ShowWindow app 5", "ShowWindow app 9", "SetForegroundWindow app 0",
                                               "BringWindowToTop app 0", "shown"}));
}

TEST_F(MsgDialogCase, BringWindowToFrontActsOnTheParentFirst) {
    std::vector<std::string> calls;
    SetWindowCallRecorder([&](const AnsiString& call, HWND w, int arg) {
        calls.push_back(call + (w == Application->Handle() ? " app " : " form ") + std::to_string(arg));
    });
    BringWindowToFront(MsgDialog->Handle());  // a form: its parent is the application's window
    EXPECT_EQ(calls, (std::vector<std::string>{"ShowWindow app 5", "ShowWindow app 9", "SetForegroundWindow app 0",
                                               "BringWindowToTop app 0", "ShowWindow form 5", "ShowWindow form 9",
                                               "SetForegroundWindow form 0", "BringWindowToTop form 0"}));
    calls.clear();
    BringWindowToFront(Application->Handle());  // no parent: four calls
    EXPECT_EQ(calls.size(), 4u);
}

TEST_F(MsgDialogCase, AQuestionAskedWhileAnotherIsOpenWaitsForItsAnswer) {
    // The second question comes from a handler that runs inside the first one's loop.
    FormRobot robot;
    int second = 0;
    bool firstHiddenWhenSecondShown = false;
    robot.then([&](TForm* first) {
        QueueOnUiThread([&] { second = AskYesNo("Segunda pergunta?", "Ruvozava Corvala"); });
        QueueOnUiThread([&, first] {
            // The second waits: the first is still on screen with its own text.
            EXPECT_EQ(QuestionsWaiting(), 1);
            EXPECT_EQ(Showing(), first);
            EXPECT_EQ(static_cast<TMsgDialog*>(first)->Label1->Caption(), "Primeira pergunta?");
            FormRobot::Press(static_cast<TMsgDialog*>(first)->BtnSim);
        });
    });
    robot.then([&](TForm* f) {
        auto* d = static_cast<TMsgDialog*>(f);
        EXPECT_EQ(d->Label1->Caption(), "Segunda pergunta?");
        firstHiddenWhenSecondShown = !MsgDialog->Widget()->isVisible() || d == MsgDialog;
        FormRobot::Press(d->BtnNao);
    });
    EXPECT_EQ(AskYesNo("Primeira pergunta?", "Ruvozava Corvala"), 6);
    EXPECT_EQ(second, 7);
    EXPECT_TRUE(firstHiddenWhenSecondShown);
    EXPECT_EQ(robot.shown.size(), 2u);
    EXPECT_EQ(Showing(), nullptr);
    EXPECT_EQ(QuestionsWaiting(), 0);
    EXPECT_TRUE(OpenQuestions().empty());
}

TEST_F(MsgDialogCase, AQuestionFromAnotherThreadWaitsForTheOpenOne) {
    FormRobot robot;
    std::atomic<int> fromWorker{0};
    std::thread worker;
    robot.then([&](TForm* first) {
        worker = std::thread([&] {
            fromWorker = AskYesNo("Da outra linha?", "Ruvozava Corvala");
            QueueOnUiThread([] {});  // wakes the wait for it
        });
        // Once the worker's question waits (its wait runs what is queued here), answer.
        WhenTrue([] { return QuestionsWaiting() == 1; },
                 [first] {
                     EXPECT_EQ(Showing(), first);
                     FormRobot::Press(static_cast<TMsgDialog*>(first)->BtnNao);
                 });
    });
    robot.then([&](TForm* f) {
        EXPECT_EQ(static_cast<TMsgDialog*>(f)->Label1->Caption(), "Da outra linha?");
        FormRobot::CloseBox(f);
    });
    EXPECT_EQ(AskYesNo("Primeira pergunta?", "Ruvozava Corvala"), 7);
    ASSERT_TRUE(PumpUntil([&] { return fromWorker != 0; }));
    worker.join();
    EXPECT_EQ(fromWorker, 2);
    EXPECT_EQ(robot.shown.size(), 2u);
}

TEST_F(MsgDialogCase, QuestionsFromTwoThreadsComeOneAfterTheOther) {
    FormRobot robot;
    std::vector<AnsiString> asked;
    for (int i = 0; i < 2; ++i)
        robot.then([&](TForm* f) {
            auto* d = static_cast<TMsgDialog*>(f);
            asked.push_back(d->Label1->Caption());
            EXPECT_EQ(QuestionsWaiting(), 0);
            FormRobot::Press(d->BtnSim);
        });
    std::atomic<int> answers{0};
    auto ask = [&](const char* text) {
        answers += AskYesNo(text, "Ruvozava Corvala");
        QueueOnUiThread([] {});  // wakes the wait below
    };
    std::thread a(ask, "Pergunta A?");
    std::thread b(ask, "Pergunta B?");
    ASSERT_TRUE(PumpUntil([&] { return answers == 12; }));
    a.join();
    b.join();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NE(asked[0], asked[1]);
}
}  // namespace
