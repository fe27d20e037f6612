// The message-box helper's work, offscreen: the box it shows for its arguments, and the code
// of the button pressed as its answer; and the program itself laid out in dist/.
#include "QtCase.h"

#include "platform/BoxHelper.h"
#include "platform/qt/MessageBoxHelper.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>

namespace {
using MessageBoxHelperCase = QtCase;

// What the next message box showed; it is then answered by a real click on the button
// with `press`, or closed with Esc when `press` is empty.
class BoxPresser : public QObject {
public:
    explicit BoxPresser(QString press) : press_(std::move(press)) { qApp->installEventFilter(this); }
    ~BoxPresser() override { qApp->removeEventFilter(this); }
    int shown = 0;
    QString title, body;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* box = qobject_cast<QMessageBox*>(o);
        if (!box || e->type() != QEvent::Show) return false;
        if (++shown > 1) return false;
        title = box->windowTitle();
        body = box->text();
        icon = box->icon();
        for (QAbstractButton* b : box->buttons()) buttons << b->text();
        // Once the box's own loop runs.
        QMetaObject::invokeMethod(
            box,
            [this, box] {
                if (press_.isEmpty()) QTest::keyClick(box, Qt::Key_Escape);
                for (QAbstractButton* b : box->buttons())
                    if (b->text() == press_) QTest::mouseClick(b, Qt::LeftButton);
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    QString press_;
};

TEST_F(MessageBoxHelperCase, TheHelperShowsTheBoxItIsGivenAndAnswersWithTheButtonPressed) {
    const QString ok = "OK", sim = "Sim", nao = QString::fromUtf8("Não"), cancelar = "Cancelar";
    struct Row {
        unsigned flags;
        const char* caption;  // 1252
        const char* text;     // 1252
        QString press;
        int answer;
        QStringList buttons;
        QMessageBox::Icon icon;
        const char* shownText;  // UTF-8
    };
    const Row rows[] = {
        {MB_TASKMODAL | MB_ICONHAND | MB_OK,
         "Brenwick",
         "Ruvozava n\xe3o encontrado",
         ok,
         IDOK,
         {ok},
         QMessageBox::Critical,
         "Ruvozava não encontrado"},
        {MB_YESNO | MB_ICONQUESTION,
         "Ruvozava Corvala",
         "\x80 \x93x\x94 Voc\xea?",
         nao,
         IDNO,
         {sim, nao},
         QMessageBox::Question,
         "€ “x” Você?"},
        {MB_YESNOCANCEL,
         "Ruvozava Corvala",
         "-platform offscreen",
         sim,
         IDYES,
         {sim, nao, cancelar},
         QMessageBox::NoIcon,
         "-platform offscreen"},
        {MB_OKCANCEL | MB_ICONWARNING,
         "Ruvozava Corvala",
         "linha 1\nlinha 2",
         QString(),
         IDCANCEL,
         {ok, cancelar},
         QMessageBox::Warning,
         "linha 1\nlinha 2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shownText);
        BoxPresser presser(row.press);
        EXPECT_EQ(RunMessageBoxHelper(BoxHelperArguments({row.text, row.caption, row.flags})), row.answer);
        EXPECT_EQ(presser.shown, 1);
        EXPECT_EQ(presser.title.toStdString(), AnsiToUtf8(row.caption));
        EXPECT_EQ(presser.body.toStdString(), row.shownText);
        QStringList got = presser.buttons, want = row.buttons;  // laid out by role
        got.sort();
        want.sort();
        EXPECT_EQ(got, want);
        EXPECT_EQ(presser.icon, row.icon);
    }
}

TEST_F(MessageBoxHelperCase, ArgumentsItCannotReadShowNothingAndGiveNoAnswer) {
    BoxPresser presser("OK");
    // Which arguments are unreadable is BoxHelperArguments' concern; here, what follows.
    EXPECT_EQ(RunMessageBoxHelper({"16", "-platform", "offscreen"}), 0);
    EXPECT_EQ(presser.shown, 0);
    // The program in dist/ beside the libraries says the same as a process.
    QProcess helper;
    helper.start(VYN_DIST_DIR "/vyn-messagebox", {"16", "4"});
    ASSERT_TRUE(helper.waitForFinished(20000));
    EXPECT_EQ(helper.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(helper.exitCode(), 0);
}
}  // namespace
