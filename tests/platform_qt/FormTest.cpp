#include "QtCase.h"

#include "platform/UiThread.h"

#include <QLineEdit>
#include <QTest>
#include <thread>

namespace {
using FormCase = QtCase;

// The smallest concrete control: an edit box.
class TTestEdit : public TControl {
public:
    explicit TTestEdit(TComponent* owner) : TControl(owner, new QLineEdit) {}
    QLineEdit* Edit() const { return static_cast<QLineEdit*>(Widget()); }
};

TEST_F(FormCase, KeysReachOnKeyPressAsTheClassLibraryDeliversThem) {
    struct Case {
        const char* what;
        bool preview;
        bool toEdit;  // else to the form's own window
        Qt::Key key;
        bool swallow;
        std::vector<int> formSees;
        const char* editText;
    };
    const Case cases[] = {
        {"preview sees a letter first and passes it on", true, true, Qt::Key_A, false, {'a'}, "a"},
        {"preview swallows it", true, true, Qt::Key_A, true, {'a'}, ""},
        {"preview sees Enter as 13", true, true, Qt::Key_Return, false, {13}, ""},
        {"without preview the control keeps its keys", false, true, Qt::Key_A, false, {}, "a"},
        {"the form's own keys: Esc is 27", false, false, Qt::Key_Escape, false, {27}, ""},
        {"keys without a character are not pressed keys", true, true, Qt::Key_F5, false, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* form = new CountingForm(nullptr);
        auto* edit = new TTestEdit(form);
        edit->SetName("EditSenha");
        form->KeyPreview = c.preview;
        std::vector<int> seen;
        form->OnKeyPress = [&](TObject* sender, char& key) {
            EXPECT_EQ(sender, form);
            seen.push_back(static_cast<unsigned char>(key));
            if (c.swallow) key = 0;
        };
        form->Show();
        QTest::keyClick(c.toEdit ? static_cast<QWidget*>(edit->Edit()) : form->Widget(), c.key);
        EXPECT_EQ(seen, c.formSees);
        EXPECT_EQ(edit->Edit()->text().toStdString(), c.editText);
        form->Free();
    }
}

TEST_F(FormCase, MouseEventsCarryButtonPositionAndTheCursor) {
    CountingForm form(nullptr);
    form.SetBorderStyle(bsNone);  // as the skinned window: its client area starts at Left, Top
    form.SetBounds(100, 50, 514, 289);
    form.Show();
    std::vector<std::string> seen;
    form.OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        seen.push_back("down " + std::to_string(b) + " " + std::to_string(s & ssLeft ? 1 : 0) + " " +
                       std::to_string(x) + "," + std::to_string(y));
    };
    form.OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
        seen.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    };
    form.OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        seen.push_back("up " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    QWidget* w = form.Widget();
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(300, 260));
    QTest::mouseMove(w, QPoint(310, 262));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(310, 262));
    QTest::mouseClick(w, Qt::RightButton, {}, QPoint(5, 6));
    EXPECT_EQ(seen, (std::vector<std::string>{"down 0 1 300,260", "move 310,262", "up 0 310,262", "down 1 0 5,6",
                                              "up 1 5,6"}));
    // The cursor the zone tests read is where the last event was, in screen terms.
    TPoint p;
    ASSERT_TRUE(GetCursorPos(&p));
    QPoint global = w->mapToGlobal(QPoint(5, 6));
    EXPECT_EQ(p.x, global.x());
    EXPECT_EQ(p.y, global.y());
    EXPECT_EQ(p.x - form.Left(), 5);
}

TEST_F(FormCase, OnPaintDrawsOnTheCanvasOverTheFormsColour) {
    CountingForm form(nullptr);
    form.SetBounds(0, 0, 60, 40);
    form.SetColor(clSilver);
    TBitmap button;
    button.SetSize(10, 5);
    button.Image().fill(Qt::red);
    int paints = 0;
    form.OnPaint = [&](TObject*) {
        ++paints;
        form.Canvas()->Draw(20, 10, button);
    };
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return paints >= 1; }));
    EXPECT_EQ(form.Canvas()->Pixel(0, 0), clSilver);
    EXPECT_EQ(form.Canvas()->Pixel(20, 10), TColor(0x0000FF));
    EXPECT_EQ(form.Canvas()->Pixel(29, 14), TColor(0x0000FF));
    EXPECT_EQ(form.Canvas()->Pixel(30, 14), clSilver);

    // Invalidate from another thread only marks the window; the paint follows on the UI thread.
    int before = paints;
    std::thread worker([&] { form.Invalidate(); });
    worker.join();
    ASSERT_TRUE(PumpUntil([&] { return paints > before; }));
}

TEST_F(FormCase, CloseAsksOnCloseQueryAndHidesOrEndsTheApplication) {
    CountingForm* main = nullptr;
    CountingForm* other = nullptr;
    Application->CreateForm(main);
    Application->CreateForm(other);
    bool allow = false;
    int asked = 0;
    for (CountingForm* f : {main, other})
        f->OnCloseQuery = [&](TObject*, bool& canClose) {
            ++asked;
            canClose = allow;
        };
    main->Show();
    other->Show();
    other->Close();
    main->Widget()->close();  // the close box
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(other->Visible());
    EXPECT_TRUE(main->Widget()->isVisible());
    EXPECT_FALSE(Application->Terminated());
    allow = true;
    other->Close();
    EXPECT_FALSE(other->Visible());
    EXPECT_FALSE(Application->Terminated());
    main->Widget()->close();
    EXPECT_FALSE(main->Visible());
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(FormCase, MessagesReachTheFormsDispatch) {
    CountingForm* main = nullptr;
    Application->CreateForm(main);
    main->Show();
    EXPECT_EQ(SendMessage(main->Handle(), 0x8191, 3, -4), 1);
    EXPECT_TRUE(PostMessage(main->Handle(), 0x8191, 5, 6));
    EXPECT_EQ(main->messages.size(), 1u);  // posted ones wait for the loop
    QCoreApplication::processEvents();
    ASSERT_EQ(main->messages.size(), 2u);
    EXPECT_EQ(main->messages[0].WParam, 3u);
    EXPECT_EQ(main->messages[0].LParam, -4);
    EXPECT_EQ(main->messages[1].WParam, 5u);

    // The minimise command to the application's window, from the dial-up service's thread.
    EXPECT_EQ(GetParent(main->Handle()), Application->Handle());
    EXPECT_EQ(GetParent(Application->Handle()), nullptr);
    std::thread worker([] { SendMessage(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0); });
    ASSERT_TRUE(PumpUntil([] { return IsIconic(Application->Handle()); }));
    worker.join();
    EXPECT_TRUE(main->Visible());

    // A window that is gone takes nothing.
    HWND gone = main->Handle();
    main->Free();
    EXPECT_FALSE(PostMessage(gone, 0x8191, 0, 0));
    EXPECT_EQ(SendMessage(gone, 0x8191, 0, 0), 0);
}

TEST_F(FormCase, BringingTheApplicationForwardMakesFourWindowCalls) {
    CountingForm* main = nullptr;
    Application->CreateForm(main);
    main->Show();
    Application->Minimize();
    std::vector<std::string> calls;
    SetWindowCallRecorder([&](const AnsiString& call, HWND w, int arg) {
        calls.push_back(call + (w == Application->Handle() ? " app " : " form ") + std::to_string(arg));
    });
    HWND app = Application->Handle();
    if (HWND parent = GetParent(app)) ShowWindow(parent, SW_SHOW);
    ShowWindow(app, SW_SHOW);
    ShowWindow(app, SW_RESTORE);
    SetForegroundWindow(app);
    BringWindowToTop(app);
    EXPECT_EQ(calls, (std::vector<std::string>{"ShowWindow app 5", "ShowWindow app 9", "SetForegroundWindow app 0",
                                               "BringWindowToTop app 0"}));
    EXPECT_FALSE(IsIconic(app));
    EXPECT_TRUE(main->Widget()->isVisible());
}

TEST_F(FormCase, ComponentsAreFoundByNameAndFreedWithTheirOwner) {
    auto* form = new CountingForm(nullptr);
    auto* edit = new TTestEdit(form);
    edit->SetName("ComboBoxLogin");
    bool editGone = false;
    struct Watch : TComponent {
        Watch(TComponent* owner, bool& flag) : TComponent(owner), flag_(flag) {}
        ~Watch() override { flag_ = true; }
        bool& flag_;
    };
    new Watch(form, editGone);
    EXPECT_EQ(form->FindComponent("comboboxlogin"), edit);
    EXPECT_EQ(form->FindComponent("Nada"), nullptr);
    EXPECT_EQ(form->Widget()->findChild<QLineEdit*>("ComboBoxLogin"), edit->Edit());
    form->Free();
    EXPECT_TRUE(editGone);
}
}  // namespace
