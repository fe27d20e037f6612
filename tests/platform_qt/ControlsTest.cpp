#include "QtCase.h"

#include "platform/qt/Buttons.h"
#include "platform/qt/ComboBox.h"
#include "platform/qt/ExtCtrls.h"
#include "platform/qt/Memo.h"
#include "platform/qt/StdCtrls.h"
#include "platform/UiThread.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

namespace {
using ControlsCase = QtCase;

TEST_F(ControlsCase, ComboBoxStartsWithNothingSelectedAndFindsItemsIgnoringCase) {
    for (TComboBoxStyle style : {csDropDownList, csDropDown}) {
        SCOPED_TRACE(style);
        CountingForm form(nullptr);
        auto* combo = new TComboBox(&form);
        combo->SetStyle(style);
        int changes = 0, clicks = 0;
        combo->OnChange = [&](TObject*) { ++changes; };
        combo->OnClick = [&](TObject*) { ++clicks; };
        for (const char* m : {"Modem Padrão 56K", "Álvaro Modem", "Conexant HCF"}) combo->Items()->Add(Utf8ToAnsi(m));
        EXPECT_EQ(combo->ItemIndex(), -1);
        EXPECT_EQ(combo->Text(), "");
        EXPECT_EQ(combo->Items()->Count(), 3);
        // Case is ignored, accents are not.
        EXPECT_EQ(combo->Items()->IndexOf("MODEM PADRÃO 56K"_a), 0);
        EXPECT_EQ(combo->Items()->IndexOf("álvaro modem"_a), 1);
        EXPECT_EQ(combo->Items()->IndexOf("Alvaro Modem"), -1);
        EXPECT_EQ(combo->Items()->IndexOf("Conexant"), -1);

        combo->SetItemIndex(combo->Items()->IndexOf("conexant hcf"));
        EXPECT_EQ(combo->ItemIndex(), 2);
        EXPECT_EQ(combo->Text(), "Conexant HCF");
        combo->Items()->Insert(0, "Escolha a cidade");
        EXPECT_EQ(combo->ItemIndex(), 3);
        combo->SetItemIndex(-1);
        EXPECT_EQ(combo->Text(), "");
        combo->Items()->Clear();
        combo->Items()->Add("Outro");
        EXPECT_EQ(combo->ItemIndex(), -1);
        EXPECT_THROW(combo->Items()->Get(1), EStringListError);
        // What the program does fires nothing; the user's choice fires OnClick and OnChange.
        EXPECT_EQ(changes + clicks, 0);
        auto* box = static_cast<QComboBox*>(combo->Widget());
        emit box->activated(0);
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(changes, 1);
    }
}

TEST_F(ControlsCase, ComboBoxTextFollowsItsStyle) {
    CountingForm form(nullptr);
    auto* combo = new TComboBox(&form);
    combo->SetMaxLength(16);
    combo->SetDropDownCount(15);
    for (const char* l : {"ana", "bruno"}) combo->Items()->Add(l);
    combo->SetText("carla");  // typed text needs no item
    EXPECT_EQ(combo->Text(), "carla");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->DropDownCount(), 15);
    form.Show();
    QLineEdit* edit = static_cast<QComboBox*>(combo->Widget())->lineEdit();
    edit->clear();
    QTest::keyClicks(edit, "um.nome.bem.comprido");
    EXPECT_EQ(combo->Text(), "um.nome.bem.comp");

    combo->SetStyle(csDropDownList);
    combo->SetText("BRUNO");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "bruno");
    combo->SetText("carla");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");
}

TEST_F(ControlsCase, CaptionsShowTheirMnemonicsAsTheClassLibraryDoes) {
    struct Case {
        const char* caption;
        const char* shown;
    };
    const Case cases[] = {
        {"&Sim", "Sim"}, {"&Não", "Não"}, {"a && b", "a & b"}, {"&&&x", "&x"}, {"fim&", "fim&"}, {"sem", "sem"},
    };
    CountingForm form(nullptr);
    auto* label = new TLabel(&form);
    auto* button = new TButton(&form);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        AnsiString caption = Utf8ToAnsi(c.caption);
        EXPECT_EQ(StripHotkey(caption), Utf8ToAnsi(c.shown));
        label->SetCaption(caption);
        EXPECT_EQ(label->Caption(), caption);
        EXPECT_EQ(label->ShownText(), Utf8ToAnsi(c.shown));
        EXPECT_EQ(static_cast<QLabel*>(label->Widget())->text().toStdString(), c.shown);
        button->SetCaption(caption);  // the button keeps the "&": its letter is a key
        EXPECT_EQ(static_cast<QPushButton*>(button->Widget())->text().toStdString(), c.caption);
    }
    // A label with a FocusControl hands its mnemonic to that control.
    auto* edit = new TEdit(&form);
    label->SetFocusControl(edit);
    label->SetCaption("&Usuário:"_a);
    EXPECT_EQ(label->ShownText(), "Usuário:"_a);
    EXPECT_EQ(static_cast<QLabel*>(label->Widget())->buddy(), edit->Widget());
}

// A small dialog: an edit, a plain button, an OK (Default) and a Cancel button.
struct Dialog {
    CountingForm* form = new CountingForm(nullptr);
    TEdit* edit = new TEdit(form);
    TButton* other = new TButton(form);
    TButton* ok = new TButton(form);
    TButton* cancel = new TButton(form);
    std::vector<std::string> clicks;
    Dialog() {
        form->SetBounds(0, 0, 274, 228);
        ok->SetCaption("Ok");
        ok->SetDefault(true);
        ok->SetModalResult(mrOk);
        cancel->SetCaption("Cancelar");
        cancel->SetCancel(true);
        cancel->SetModalResult(mrCancel);
        other->SetCaption("Configurar DialUp");
        for (auto [b, name] : {std::pair{ok, "ok"}, {cancel, "cancel"}, {other, "other"}})
            b->OnClick = [this, name = std::string(name), b = b](TObject* sender) {
                EXPECT_EQ(sender, b);
                clicks.push_back(name + " " + std::to_string(form->ModalResult()));
            };
    }
    ~Dialog() { form->Free(); }
};

TEST_F(ControlsCase, EnterAndEscPressTheDefaultAndCancelButtons) {
    struct Case {
        const char* what;
        std::function<QWidget*(Dialog&)> target;
        Qt::Key key;
        std::vector<std::string> clicks;
    };
    const Case cases[] = {
        {"Enter in the edit presses OK", [](Dialog& d) { return d.edit->Widget(); }, Qt::Key_Return, {"ok 1"}},
        {"Enter on the form presses OK", [](Dialog& d) { return d.form->Widget(); }, Qt::Key_Enter, {"ok 1"}},
        {"Esc in the edit presses Cancelar",
         [](Dialog& d) { return d.edit->Widget(); },
         Qt::Key_Escape,
         {"cancel 2"}},
        {"Enter on another button presses that one",
         [](Dialog& d) { return d.other->Widget(); },
         Qt::Key_Return,
         {"other 0"}},
        {"Esc on a button still cancels", [](Dialog& d) { return d.ok->Widget(); }, Qt::Key_Escape, {"cancel 2"}},
        {"a letter presses nothing", [](Dialog& d) { return d.edit->Widget(); }, Qt::Key_A, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Dialog d;
        d.form->Show();
        QTest::keyClick(c.target(d), c.key);
        EXPECT_EQ(d.clicks, c.clicks);
    }
    // A hidden or disabled Default button is passed over.
    Dialog d;
    d.form->Show();
    d.ok->SetEnabled(false);
    QTest::keyClick(d.edit->Widget(), Qt::Key_Return);
    d.ok->SetEnabled(true);
    d.ok->Hide();
    QTest::keyClick(d.edit->Widget(), Qt::Key_Return);
    EXPECT_TRUE(d.clicks.empty());
}

TEST_F(ControlsCase, AButtonsModalResultEndsTheModalShowing) {
    SetMessageBoxResponder(nullptr);
    struct Case {
        const char* what;
        std::function<void(Dialog&)> act;
        int result;
        std::vector<std::string> clicks;
    };
    const Case cases[] = {
        {"OK clicked", [](Dialog& d) { QTest::mouseClick(d.ok->Widget(), Qt::LeftButton); }, mrOk, {"ok 1"}},
        {"Enter", [](Dialog& d) { QTest::keyClick(d.edit->Widget(), Qt::Key_Return); }, mrOk, {"ok 1"}},
        {"Esc", [](Dialog& d) { QTest::keyClick(d.edit->Widget(), Qt::Key_Escape); }, mrCancel, {"cancel 2"}},
        {"a button without a result leaves it open until the close box",
         [](Dialog& d) {
             d.other->Click();
             QueueOnUiThread([&d] { d.form->Widget()->close(); });
         },
         mrCancel,
         {"other 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Dialog d;
        QueueOnUiThread([&] { c.act(d); });
        EXPECT_EQ(d.form->ShowModal(), c.result);
        EXPECT_EQ(d.clicks, c.clicks);
        EXPECT_FALSE(d.form->Visible());
    }
}

TEST_F(ControlsCase, FocusStartsAtTheFirstTabStopAndFollowsTheTabOrder) {
    Dialog d;
    d.ok->SetTabOrder(0);
    d.edit->SetTabOrder(1);
    d.cancel->SetTabOrder(2);
    d.other->SetTabOrder(3);
    d.form->Show();
    EXPECT_TRUE(d.ok->Focused());
    EXPECT_EQ(d.form->ActiveControl(), d.ok);
    // Tab and Shift+Tab walk the controls in their TabOrder, round.
    std::vector<TControl*> visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(d.form->ActiveControl()->Widget(), Qt::Key_Tab);
        visited.push_back(d.form->ActiveControl());
    }
    QTest::keyClick(d.form->ActiveControl()->Widget(), Qt::Key_Backtab, Qt::ShiftModifier);
    visited.push_back(d.form->ActiveControl());
    EXPECT_EQ(visited, (std::vector<TControl*>{d.edit, d.cancel, d.other, d.ok, d.other}));
    d.edit->SetFocus();
    EXPECT_TRUE(d.edit->Focused());
    EXPECT_FALSE(d.ok->Focused());
    d.cancel->Hide();
    d.cancel->SetFocus();  // cannot take it: nothing changes
    EXPECT_TRUE(d.edit->Focused());
    EXPECT_FALSE(d.cancel->CanFocus());
}

TEST_F(ControlsCase, AControlOfAHiddenWindowTakesTheFocusAskedForWhenTheWindowShows) {
    Dialog d;
    d.ok->SetTabOrder(0);
    d.edit->SetTabOrder(1);
    d.cancel->SetTabOrder(2);
    // Asked while the window is hidden: nothing is raised and the caller goes on.
    EXPECT_NO_THROW(d.edit->SetFocus());
    EXPECT_FALSE(d.edit->Focused());
    d.cancel->Hide();
    d.cancel->SetFocus();  // hidden itself: never, and the earlier request stands
    d.form->Show();
    EXPECT_TRUE(d.edit->Focused());
    EXPECT_FALSE(d.ok->Focused());
}

TEST_F(ControlsCase, EditKeepsItsLimitAndShowsItsPasswordCharacter) {
    CountingForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetMaxLength(4);
    edit->SetPasswordChar('*');
    std::vector<AnsiString> seen;
    edit->OnChange = [&](TObject*) { seen.push_back(edit->Text()); };
    form.Show();
    QTest::keyClicks(edit->Widget(), "zuq12");
    EXPECT_EQ(edit->Text(), "zuq1");
    auto* q = static_cast<QLineEdit*>(edit->Widget());
    EXPECT_EQ(q->echoMode(), QLineEdit::Password);
    EXPECT_EQ(q->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, q), int('*'));
    edit->SetText("");
    EXPECT_EQ(seen, (std::vector<AnsiString>{"z", "zu", "zuq", "zuq1", ""}));
    edit->SetPasswordChar(0);
    EXPECT_EQ(q->echoMode(), QLineEdit::Normal);
}

TEST_F(ControlsCase, AlignedPanelsAndAnchoredButtonsFollowTheirParent) {
    // The yes/no question's layout: buttons docked at the bottom, the text filling the rest
    // inside a 20-pixel border.
    CountingForm form(nullptr);
    form.SetClientSize(288, 166);
    auto* bottom = new TPanel(&form);
    bottom->SetBevelOuter(bvNone);
    bottom->SetHeight(41);
    bottom->SetAlign(alBottom);
    auto* yes = new TButton(bottom);
    yes->SetBounds(8, 8, 75, 25);
    yes->SetAnchors(akLeft | akBottom);
    auto* no = new TButton(bottom);
    no->SetBounds(204, 8, 75, 25);
    no->SetAnchors(akRight | akBottom);
    auto* client = new TPanel(&form);
    client->SetBevelOuter(bvNone);
    client->SetBorderWidth(20);
    client->SetAlign(alClient);
    auto* text = new TLabel(client);
    text->SetWordWrap(true);
    text->SetAlign(alClient);
    text->SetCaption(AnsiString(300, 'x') + " fim");

    auto geometry = [](TControl* c) { return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()}; };
    EXPECT_EQ(geometry(bottom), (std::vector<int>{0, 125, 288, 41}));
    EXPECT_EQ(geometry(client), (std::vector<int>{0, 0, 288, 125}));
    EXPECT_EQ(geometry(text), (std::vector<int>{20, 20, 248, 85}));
    EXPECT_EQ(geometry(no), (std::vector<int>{204, 8, 75, 25}));

    form.SetClientSize(400, 200);  // the user makes the window bigger
    EXPECT_EQ(geometry(bottom), (std::vector<int>{0, 159, 400, 41}));
    EXPECT_EQ(geometry(text), (std::vector<int>{20, 20, 360, 119}));
    EXPECT_EQ(geometry(yes), (std::vector<int>{8, 8, 75, 25}));
    EXPECT_EQ(geometry(no), (std::vector<int>{316, 8, 75, 25}));
    bottom->Hide();  // an invisible control leaves its room to the others
    EXPECT_EQ(geometry(client), (std::vector<int>{0, 0, 400, 200}));
}

TEST_F(ControlsCase, LabelsSizeThemselvesUnlessToldNot) {
    CountingForm form(nullptr);
    form.Font()->SetName("MS Sans Serif");
    form.Font()->SetHeight(-11);
    auto* fixed = new TLabel(&form);
    fixed->SetAutoSize(false);
    fixed->SetBounds(16, 40, 201, 22);
    fixed->SetLayout(tlCenter);
    fixed->SetCaption("Para desativar chamada em espera discar:");
    EXPECT_EQ(fixed->Width(), 201);
    EXPECT_EQ(fixed->Height(), 22);
    EXPECT_TRUE(static_cast<QLabel*>(fixed->Widget())->alignment() & Qt::AlignVCenter);
    auto* bold = new TLabel(&form);
    bold->Font()->SetStyle(fsBold);
    bold->SetCaption("Discar");
    QFontInfo info(bold->Widget()->font());
    EXPECT_TRUE(info.bold());
    // The platform's narrow sans font is stood in for by a condensed face a pixel smaller.
    EXPECT_EQ(info.family().toStdString(), "DejaVu Sans Condensed");
    EXPECT_EQ(info.pixelSize(), 10);
    EXPECT_EQ(bold->Font()->Height(), 0);  // its own height is the form's
    EXPECT_GT(bold->Width(), 20);
    int oneLine = bold->Height();
    bold->SetWordWrap(true);
    bold->SetWidth(40);
    bold->SetCaption("Discar Rediscar Desconectar");
    EXPECT_EQ(bold->Width(), 40);
    EXPECT_GE(bold->Height(), 3 * oneLine);
}

TEST_F(ControlsCase, ClicksOnLabelsAndImagesAreTheirsNotTheForms) {
    CountingForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* label = new TLabel(&form);
    label->SetBounds(10, 10, 50, 14);
    label->SetAutoSize(false);
    auto* image = new TImage(&form);
    image->SetBounds(100, 10, 150, 16);
    int formDowns = 0;
    std::vector<TObject*> clicked;
    form.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++formDowns; };
    label->OnClick = image->OnClick = [&](TObject* s) { clicked.push_back(s); };
    form.Show();
    QTest::mouseClick(label->Widget(), Qt::LeftButton);
    QTest::mouseClick(image->Widget(), Qt::LeftButton);
    QTest::mouseClick(image->Widget(), Qt::RightButton);
    EXPECT_EQ(clicked, (std::vector<TObject*>{label, image}));
    EXPECT_EQ(formDowns, 0);
}

TEST_F(ControlsCase, MemoLinesAreALiveStringList) {
    CountingForm form(nullptr);
    auto* memo = new TMemo(&form);
    memo->SetBounds(190, 159, 201, 81);
    memo->SetReadOnly(true);
    memo->SetScrollBars(ssVertical);
    memo->SetBorderStyle(bsNoBorder);
    TStrings* lines = memo->Lines();
    EXPECT_EQ(lines->Count(), 0);
    EXPECT_EQ(lines->Add(""), 0);  // one empty line is a line
    EXPECT_EQ(lines->Count(), 1);
    lines->Clear();
    for (int i = 0; i < 30; ++i) lines->Add("Linha " + IntToStr(i) + " - conexão"_a);
    EXPECT_EQ(lines->Count(), 30);
    EXPECT_EQ(lines->Get(29), "Linha 29 - conexão"_a);
    EXPECT_EQ(lines->IndexOf("LINHA 3 - CONEXÃO"_a), 3);
    lines->Delete(0);
    lines->Delete(28);
    EXPECT_EQ(lines->Count(), 28);
    EXPECT_EQ(lines->Get(0), "Linha 1 - conexão"_a);
    EXPECT_EQ(lines->Get(27), "Linha 28 - conexão"_a);
    EXPECT_THROW(lines->Delete(28), EStringListError);
    auto* edit = static_cast<QPlainTextEdit*>(memo->Widget());
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->frameShape(), QFrame::NoFrame);
    form.Show();
    // The newest line is in view.
    EXPECT_EQ(edit->verticalScrollBar()->value(), edit->verticalScrollBar()->maximum());
    EXPECT_GT(edit->verticalScrollBar()->maximum(), 0);
}

TEST_F(ControlsCase, RadioGroupChoosesOneItem) {
    CountingForm form(nullptr);
    auto* group = new TRadioGroup(&form);
    group->SetBounds(16, 120, 97, 57);
    group->SetCaption("Discagem por ");
    group->Items()->Add("Tom");
    group->Items()->Add("Pulso");
    int clicks = 0;
    group->OnClick = [&](TObject*) { ++clicks; };
    EXPECT_EQ(group->ItemIndex(), -1);
    group->SetItemIndex(1);
    EXPECT_EQ(clicks, 1);
    group->SetItemIndex(1);
    EXPECT_EQ(clicks, 1);
    form.Show();
    auto buttons = group->Widget()->findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_TRUE(buttons[1]->isChecked());
    EXPECT_LT(buttons[0]->geometry().bottom(), buttons[1]->geometry().top());
    EXPECT_LE(buttons[1]->geometry().bottom(), 57);
    QTest::mouseClick(buttons[0], Qt::LeftButton, {}, QPoint(5, buttons[0]->height() / 2));
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_EQ(clicks, 2);
    group->SetItemIndex(-1);
    EXPECT_FALSE(buttons[0]->isChecked());
    EXPECT_FALSE(buttons[1]->isChecked());
}

TEST_F(ControlsCase, ALabelNotYetSizedKeepsToItsCornerOfTheForm) {
    enum Step { Nothing, Left, Name };
    for (Step step : {Nothing, Left, Name}) {
        SCOPED_TRACE(step);
        CountingForm form(nullptr);
        form.SetClientSize(400, 300);
        auto* label = new TLabel(&form);
        if (step == Left) label->SetLeft(10);
        if (step == Name) label->SetName("Label1");
        form.Show();
        EXPECT_LE(label->Width(), 65);
        EXPECT_LE(label->Height(), 17);
        EXPECT_NE(form.Widget()->childAt(200, 150), label->Widget());
    }
}

TEST_F(ControlsCase, AKindsPictureIsOnItsButtonOnceShownWhenEverTheKindWasSet) {
    enum When { BeforeShowing, AfterShowing, ThenCustom };
    for (When when : {BeforeShowing, AfterShowing, ThenCustom}) {
        SCOPED_TRACE(when);
        CountingForm form(nullptr);
        auto* button = new TBitBtn(&form);
        auto* widget = static_cast<QPushButton*>(button->Widget());
        if (when != AfterShowing) button->SetKind(bkYes);
        if (when == ThenCustom) button->SetKind(bkCustom);
        form.Show();
        if (when == AfterShowing) button->SetKind(bkNo);
        EXPECT_FALSE(widget->icon().isNull());
        EXPECT_FALSE(button->Glyph().Empty());
    }
}

}  // namespace
