#include "MainFormCase.h"

#include "app/Discddd.h"
#include "app/Frmconfig.h"
#include "app/Msgdlg.h"
#include "connection/Dialer.h"
#include "platform/Application.h"
#include "platform/UiThread.h"
#include "platform/qt/ClassLibrary.h"
#include "settings/Log.h"

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

bool TestMainForm::realPictures = false;

void TestMainForm::LoadPictures() {
    if (realPictures) {
        TMainForm::LoadPictures();
        return;
    }
    auto plain = [](std::unique_ptr<TBitmap>& bitmap, int width, int height, TColor colour) {
        bitmap = std::make_unique<TBitmap>();
        bitmap->SetSize(width, height);
        bitmap->Image().fill(QColor::fromRgb(ColorToRgb(colour)));
    };
    plain(BMP1, kSkinWidth, kSkinHeight, kSkinColour);
    plain(BMPCONON, 155, 25, kConOnColour);
    plain(BMPCONOFF, 155, 25, kConOffColour);
    plain(BMPDESON, 155, 25, kDesOnColour);
    plain(BMPDESOFF, 155, 25, kDesOffColour);
}

AnsiString DefaultQuestion() {
    return "O Ruvozava Corvala não é o discador padrão.\nDeseja torná-lo seu discador padrão?"_a;
}

MainFormCase::MainFormCase(const std::string& programFile) : EngineBench(programFile) {
    TestMainForm::realPictures = false;
}

TMainForm* MainFormCase::CreateMainForm() {
    TestMainForm* main = nullptr;
    Application->CreateForm(main);
    return main;
}

TFormConfig* MainFormCase::CreateFormConfig() {
    Application->CreateForm(FormConfig);
    return FormConfig;
}

MainFormCase::~MainFormCase() {
    // The forms go first (their destruction deletes the service objects and the engine);
    // the bench then gives the test's hold on the dial-up service back, then the clock.
    ReleaseApplicationForms();
    MainForm = nullptr;
    MsgDialog = nullptr;
    frmDiscDDD = nullptr;
    FormConfig = nullptr;
    SetWindowCallRecorder(nullptr);
    TTrayIcon::SetSystemTrayAvailableForTests(false);
    QCoreApplication::processEvents();
}

void MainFormCase::StartProgram(bool show) {
    ASSERT_NO_FATAL_FAILURE(OpenService());
    Application->SetTitle(kProgramTitle);
    if (!show) Application->SetShowMainForm(false);
    MainForm = CreateMainForm();
    Application->CreateForm(MsgDialog);
    Application->CreateForm(frmDiscDDD);
    FormConfig = CreateFormConfig();
    FollowClock();
    if (show && Application->ShowMainForm()) MainForm->SetVisible(true);
}

void MainFormCase::WaitForSequence() { EngineBench::WaitForSequence(*Dialer); }

void MainFormCase::ConnectByEnter() {
    writeScript("dial connect after 2s\n");
    scriptQuietService();
    key(Qt::Key_Return);
    ASSERT_TRUE(Dialer->IsDialing());
    Advance(2000);
    ASSERT_TRUE(Dialer->IsConnected());
    WaitForSequence();
}

QWidget* MainFormCase::window() const { return MainForm->Widget(); }

void MainFormCase::mouseAtScreen(int type, QPoint screen, Qt::MouseButton button, Qt::MouseButtons held) {
    QWidget* w = window();
    QPoint local = screen - w->pos();
    QMouseEvent e(static_cast<QEvent::Type>(type), QPointF(local), QPointF(screen), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void MainFormCase::press(int x, int y, Qt::MouseButton button) {
    mouseAtScreen(QEvent::MouseButtonPress, window()->pos() + QPoint(x, y), button, button);
}

void MainFormCase::move(int x, int y) {
    mouseAtScreen(QEvent::MouseMove, window()->pos() + QPoint(x, y), Qt::NoButton, Qt::NoButton);
}

void MainFormCase::release(int x, int y, Qt::MouseButton button) {
    mouseAtScreen(QEvent::MouseButtonRelease, window()->pos() + QPoint(x, y), button, Qt::NoButton);
}

void MainFormCase::key(int qtKey, QWidget* target) {
    QWidget* w = target ? target : window();
    QString text = qtKey == Qt::Key_Return ? "\r" : qtKey == Qt::Key_Escape ? "\x1b" : QString();
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent up(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &up);
}

TColor MainFormCase::paintedAt(int x, int y) {
    // The paint the window system would ask for (an offscreen window may not be exposed yet).
    MainForm->DeliverPaint();
    return RgbToColor(MainForm->Backing().pixel(x, y) & 0xFFFFFF);
}

std::vector<AnsiString> MainFormCase::boxTexts() const {
    std::vector<AnsiString> out;
    for (const MessageBoxRequest& r : boxes()) out.push_back(r.text);
    return out;
}

int MainFormCase::boxesSaying(const AnsiString& text) const {
    int n = 0;
    for (const MessageBoxRequest& r : boxes()) n += r.text == text;
    return n;
}

std::vector<AnsiString> MainFormCase::statusLines() const {
    return Logger ? Logger->Lines() : std::vector<AnsiString>{};
}
