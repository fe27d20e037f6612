#include "QtCase.h"

#include "platform/Dialogs.h"
#include "platform/UiThread.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <atomic>
#include <thread>

namespace {
using DialogCase = QtCase;

// Answers the next Qt message box that appears by pressing the button with `text` (or by
// ending the application when `text` is empty), remembering what the box showed.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(QString text) : text_(std::move(text)) { qApp->installEventFilter(this); }
    ~BoxAnswerer() override { qApp->removeEventFilter(this); }
    QStringList buttons;
    QString title, body;
    QMessageBox::Icon icon = QMessageBox::NoIcon;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* box = qobject_cast<QMessageBox*>(o);
        if (!box || e->type() != QEvent::Show || answered_) return false;
        answered_ = true;
        title = box->windowTitle();
        body = box->text();
        icon = box->icon();
        for (QAbstractButton* b : box->buttons()) buttons << b->text();
        QueueOnUiThread([this, box] {
            if (text_.isEmpty()) Application->Terminate();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == text_) b->click();
        });
        return false;
    }

private:
    QString text_;
    bool answered_ = false;
};

TEST_F(DialogCase, TheQtBoxHasTheSystemsButtonsAndAnswers) {
    SetMessageBoxResponder(nullptr);
    struct Case {
        unsigned flags;
        QString press;
        int answer;
        QStringList buttons;
    };
    const QString sim = "Sim", nao = QString::fromUtf8("Não"), cancelar = "Cancelar";
    const Case cases[] = {
        {MB_YESNO, sim, IDYES, {sim, nao}},
        {MB_YESNO, nao, IDNO, {sim, nao}},
        {MB_YESNOCANCEL | MB_ICONQUESTION, sim, IDYES, {sim, nao, cancelar}},
        {MB_YESNOCANCEL, nao, IDNO, {sim, nao, cancelar}},
        {MB_YESNOCANCEL, cancelar, IDCANCEL, {sim, nao, cancelar}},
        {MB_OKCANCEL, cancelar, IDCANCEL, {"OK", cancelar}},
        {MB_OK | MB_ICONERROR, "OK", IDOK, {"OK"}},
        {MB_YESNOCANCEL, "", IDCANCEL, {sim, nao, cancelar}},  // the application ends meanwhile
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.press.toStdString() + " " + std::to_string(c.flags));
        Application->ResetTerminated();
        BoxAnswerer answerer(c.press);
        EXPECT_EQ(MessageBox("Você está conectado, deseja desconectar agora?"_a, "Ruvozava Corvala", c.flags),
                  c.answer);
        QStringList got = answerer.buttons, want = c.buttons;
        got.sort();
        want.sort();
        EXPECT_EQ(got, want);
        EXPECT_EQ(answerer.title.toStdString(), "Ruvozava Corvala");
        EXPECT_EQ(answerer.body, QString::fromUtf8("Você está conectado, deseja desconectar agora?"));
    }
    Application->ResetTerminated();
}

TEST_F(DialogCase, ABoxAskedFromAnotherThreadIsShownOnTheUiThread) {
    SetMessageBoxResponder(nullptr);
    BoxAnswerer answerer("Sim");
    std::atomic<int> answer{0};
    std::thread worker([&] {
        answer = MessageBox("A conexão foi desligada, deseja conectar novamente?"_a, "Ruvozava Corvala", MB_YESNO);
        QueueOnUiThread([] {});  // wakes the wait below
    });
    ASSERT_TRUE(PumpUntil([&] { return answer != 0; }));
    worker.join();
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(answerer.icon, QMessageBox::NoIcon);
    EXPECT_EQ(RecordedMessageBoxes().back().text, "A conexão foi desligada, deseja conectar novamente?"_a);
}

// A question form in the manner of the program's yes/no dialog.
class TQuestion : public CountingForm {
public:
    explicit TQuestion(TComponent* owner) : CountingForm(owner) {
        SetName("MsgDialog");
        SetCaption("Ruvozava Corvala");
    }
    AnsiString text = "Deseja continuar?";

protected:
    AnsiString ModalText() const override { return text; }
};

TEST_F(DialogCase, ShowModalIsAnsweredLikeABox) {
    TQuestion q(nullptr);
    machine.answerBoxes({mrYes, mrNo});
    EXPECT_EQ(q.ShowModal(), mrYes);
    EXPECT_EQ(q.ModalResult(), mrYes);
    EXPECT_FALSE(q.Visible());
    EXPECT_EQ(q.shows, 1);
    EXPECT_EQ(q.ShowModal(), mrNo);
    EXPECT_EQ(q.ShowModal(), mrCancel);  // nobody answers: as if closed
    ASSERT_EQ(machine.boxes().size(), 3u);
    EXPECT_EQ(machine.boxes()[0].text, "Deseja continuar?");
    EXPECT_EQ(machine.boxes()[0].caption, "Ruvozava Corvala");
    EXPECT_TRUE(machine.boxes()[0].flags & MB_MODALFORM);
    EXPECT_EQ(q.shows, 3);

    // Out of process the answers come from the machine's file.
    SetMessageBoxResponder(nullptr);
    machine.writeMachineFile("message-answers.txt", "7\n");
    EXPECT_EQ(q.ShowModal(), mrNo);
}

TEST_F(DialogCase, ShowModalRunsItsOwnLoopUntilAResult) {
    SetMessageBoxResponder(nullptr);
    TQuestion q(nullptr);
    int asked = 0;
    bool refuseOnce = false;
    q.OnCloseQuery = [&](TObject*, bool& canClose) {
        ++asked;
        if (refuseOnce) {
            // Refused: the form stays up until the next answer.
            refuseOnce = false;
            canClose = false;
            QueueOnUiThread([&] { q.SetModalResult(mrNo); });
        }
    };
    struct Case {
        const char* what;
        std::function<void()> act;
        bool refuse;
        int result;
    };
    const Case cases[] = {
        {"a button sets the result", [&] { q.SetModalResult(mrYes); }, false, mrYes},
        {"the close box cancels", [&] { q.Widget()->close(); }, false, mrCancel},
        {"Close cancels", [&] { q.Close(); }, false, mrCancel},
        {"a refused close keeps it up", [&] { q.SetModalResult(mrOk); }, true, mrNo},
        {"the application ending cancels", [&] { std::thread([] { Application->Terminate(); }).detach(); }, false,
         mrCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Application->ResetTerminated();
        refuseOnce = c.refuse;
        bool visibleInside = false;
        QueueOnUiThread([&] {
            visibleInside = q.Widget()->isVisible() && q.Widget()->isModal();
            c.act();
        });
        EXPECT_EQ(q.ShowModal(), c.result);
        EXPECT_TRUE(visibleInside);
        EXPECT_FALSE(q.Widget()->isVisible());
    }
    EXPECT_EQ(asked, 5);
    Application->ResetTerminated();
}
}  // namespace
