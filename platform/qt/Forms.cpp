#include "Forms.h"

#include "Internal.h"
#include "Screen.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"
#include "platform/UiThread.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <utility>

namespace {
enum { kMouseDown, kMouseMove, kMouseUp };

TShiftState shiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    TShiftState s = 0;
    if (mods & Qt::ShiftModifier) s |= ssShift;
    if (mods & Qt::AltModifier) s |= ssAlt;
    if (mods & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TMouseButton buttonOf(Qt::MouseButton b) {
    return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}

class FormWidget : public QWidget {
public:
    explicit FormWidget(TForm* form) : form_(form) { setMouseTracking(true); }
    TForm* form_;

protected:
    void paintEvent(QPaintEvent*) override {
        if (!form_) return;
        form_->DeliverPaint();
        // In bands of a few rows: Qt blends a taller picture on helper threads, and the
        // window's painting belongs to the UI thread alone.
        QPainter p(this);
        const QImage& b = form_->Backing();
        int border = form_->BorderWidth();
        if (border > 0) p.fillRect(rect(), QColor::fromRgb(ColorToRgb(form_->Color())));
        for (int y = 0; y < b.height(); y += classlib::kPaintBand)
            p.drawImage(QPoint(border, border + y), b, QRect(0, y, b.width(), classlib::kPaintBand));
    }
    void resizeEvent(QResizeEvent*) override {
        if (!form_) return;
        QImage& b = form_->Backing();
        QSize client(form_->ClientWidth(), form_->ClientHeight());
        if (b.size() != client) {
            b = classlib::PrefaultedImage(client, QImage::Format_RGB32);
            b.fill(QColor::fromRgb(ColorToRgb(form_->Color())));
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) pressed_ = true;
        mouse(kMouseDown, e, 0);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mouse(kMouseDown, e, ssDouble); }
    void mouseMoveEvent(QMouseEvent* e) override { mouse(kMouseMove, e, 0); }
    void mouseReleaseEvent(QMouseEvent* e) override {
        bool click = e->button() == Qt::LeftButton && std::exchange(pressed_, false) &&
                     rect().contains(e->position().toPoint());
        mouse(kMouseUp, e, 0);
        // A form freed by the mouse-up handler has let go of its window (form_ is null).
        if (click && form_) form_->Click();
    }
    void keyPressEvent(QKeyEvent* e) override {
        char key = classlib::KeyChar(e);
        // Enter and Esc that no control took go to the Default and Cancel buttons.
        bool plain = !(e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
        if (form_ && plain && (key == 13 || key == 27) && classlib::DialogKey(this, key)) {
            e->accept();
            return;
        }
        if (!form_ || key == 0 || classlib::KeyFromControl()) {
            QWidget::keyPressEvent(e);
            return;
        }
        form_->DeliverKey(key);
        e->accept();
    }
    bool focusNextPrevChild(bool next) override {
        // Tab follows the controls' TabOrder.
        QWidget* to = TControl::NextTabStop(this, focusWidget(), next);
        if (!to) return QWidget::focusNextPrevChild(next);
        to->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    void closeEvent(QCloseEvent* e) override {
        // The close box asks the form, which decides (and hides itself if it agrees).
        e->ignore();
        if (form_) RunHandler([this] { form_->Close(); });
    }
    void changeEvent(QEvent* e) override {
        QWidget::changeEvent(e);
        // Minimising the main window minimises the application (into the tray, if any);
        // bringing it back restores the application.
        if (!form_ || e->type() != QEvent::WindowStateChange || Application->MainForm() != form_) return;
        if (isMinimized() && !classlib::ApplicationMinimised()) RunHandler([] { Application->Minimize(); });
        else if (!isMinimized() && isVisible() && classlib::ApplicationMinimised())
            RunHandler([] { Application->Restore(); });
    }

private:
    void mouse(int kind, QMouseEvent* e, TShiftState extra) {
        if (!form_) return;
        QPoint global = e->globalPosition().toPoint();
        classlib::NoteCursorPos(global.x(), global.y());
        QPoint p = e->position().toPoint() - QPoint(form_->BorderWidth(), form_->BorderWidth());
        Qt::MouseButtons held = e->buttons() | (kind == kMouseUp ? e->button() : Qt::NoButton);
        form_->DeliverMouse(kind, buttonOf(e->button()), shiftOf(e->modifiers(), held) | extra, p.x(), p.y());
    }
    bool pressed_ = false;
};

thread_local int tKeyFromControl = 0;
}  // namespace

namespace classlib {
TForm* FormOfWidget(QWidget* widget) {
    auto* fw = dynamic_cast<FormWidget*>(widget);
    return fw ? fw->form_ : nullptr;
}

char KeyChar(const QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Backspace: return 8;
    default: break;
    }
    QString t = e->text();
    if (t.size() != 1) return 0;
    AnsiString a = Utf8ToAnsi(t.toStdString());
    return a.size() == 1 ? a[0] : 0;
}

bool KeyFromControl() { return tKeyFromControl > 0; }
}  // namespace classlib

bool classlib::PreviewControlKey(QWidget* receiver, QKeyEvent* e, const std::function<bool()>& deliver,
                                 bool& result) {
    TForm* form = classlib::FormOfWidget(receiver->window());
    if (!form || receiver == form->Widget()) return false;
    if (form->KeyPreview) {
        char key = classlib::KeyChar(e);
        if (key != 0) {
            form->DeliverKey(key);
            if (key == 0) {
                result = true;
                return true;
            }
        }
    }
    ++tKeyFromControl;
    try {
        result = deliver();
    } catch (...) {
        --tKeyFromControl;
        throw;
    }
    --tKeyFromControl;
    return true;
}

TForm::TForm(TComponent* owner)
    : TControl(owner, new FormWidget(this), true), handle_(classlib::NewWindowHandle(this)),
      backing_(std::make_unique<QImage>()), canvas_(std::make_unique<TCanvas>(backing_.get(), [this] {
          // Drawing inside OnPaint is part of the paint under way, not a reason for another.
          if (!painting_) Widget()->update();
      })) {
    Widget()->hide();
}

TForm::~TForm() {
    DestroyComponents();
    if (auto* fw = dynamic_cast<FormWidget*>(Widget())) {
        fw->form_ = nullptr;
        fw->hide();
    }
    classlib::FreeWindowHandle(handle_);
    classlib::FormGone(this);
}

void TForm::Free() {
    DoDestroy();
    delete this;
}

AnsiString TForm::Caption() const { return Utf8ToAnsi(Widget()->windowTitle().toStdString()); }
void TForm::SetCaption(const AnsiString& caption) {
    Widget()->setWindowTitle(QString::fromStdString(AnsiToUtf8(caption)));
}

void TForm::SetColor(TColor color) {
    color_ = color;
    Widget()->update();
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    borderStyle_ = style;
    applyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
    borderIcons_ = icons;
    applyWindowFlags();
}

void TForm::applyWindowFlags() {
    QWidget* w = Widget();
    bool shown = w->isVisible();
    Qt::WindowFlags f = borderStyle_ == bsDialog || borderStyle_ == bsToolWindow ? Qt::Dialog : Qt::Window;
    if (borderStyle_ == bsNone) {
        f |= Qt::FramelessWindowHint;
    } else {
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (borderIcons_ & biSystemMenu) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if ((borderIcons_ & biMinimize) && borderStyle_ != bsDialog && borderStyle_ != bsToolWindow)
            f |= Qt::WindowMinimizeButtonHint;
        if ((borderIcons_ & biMaximize) && borderStyle_ == bsSizeable) f |= Qt::WindowMaximizeButtonHint;
    }
    f |= w->windowFlags() & Qt::WindowStaysOnTopHint;  // SetTopMost's business
    bool fixed = borderStyle_ == bsSingle || borderStyle_ == bsDialog || borderStyle_ == bsToolWindow;
    if (fixed) f |= Qt::MSWindowsFixedSizeDialogHint;
    w->setWindowFlags(f);
    if (fixed) w->setFixedSize(w->size());
    else {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    if (shown) w->show();
}

void TForm::SetPosition(TPosition position) { position_ = position; }

void TForm::SetBorderWidth(int width) {
    int client = ClientWidth(), clientHeight = ClientHeight();
    borderWidth_ = width < 0 ? 0 : width;
    SetClientSize(client, clientHeight);
    Widget()->update();
}

void TForm::SetTopMost(bool topMost) {
    topMost_ = topMost;
    if (std::exchange(topMostQueued_, true)) return;
    std::weak_ptr<const void> life = Life();
    QueueOnUiThread([this, life] {
        if (life.expired()) return;
        topMostQueued_ = false;
        applyTopMost();
    });
}

void TForm::applyTopMost() {
    QWidget* w = Widget();
    if (bool(w->windowFlags() & Qt::WindowStaysOnTopHint) == topMost_) return;
    bool shown = w->isVisible();
    // Changing a flag hides the window; it comes back without taking the focus.
    w->setAttribute(Qt::WA_ShowWithoutActivating, true);
    w->setWindowFlag(Qt::WindowStaysOnTopHint, topMost_);
    if (shown) w->show();
    w->setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void TForm::Raise() {
    if (Widget()->isVisible()) Widget()->raise();
}

void TForm::placeOnScreen() {
    if (position_ == poDesigned) return;
    Widget()->move(Screen->WorkAreaLeft() + (Screen->WorkAreaWidth() - Width()) / 2,
                   Screen->WorkAreaTop() + (Screen->WorkAreaHeight() - Height()) / 2);
}

TControl* TForm::ActiveControl() const {
    QWidget* f = Widget()->focusWidget();
    for (; f && f != Widget(); f = f->parentWidget())
        if (TControl* c = ControlOf(f)) return c;
    return nullptr;
}

void TForm::SetActiveControl(TControl* control) {
    if (!control) return;
    if (Widget()->isVisible()) control->SetFocus();
    else pendingFocus_ = control;
}

void TForm::focusFirstControl() {
    QWidget* w = Widget();
    if (TControl* pending = std::exchange(pendingFocus_, nullptr); pending && pending->CanFocus()) {
        pending->SetFocus();
        return;
    }
    if (QWidget* f = w->focusWidget(); f && f->isVisible() && f->isEnabled()) return;
    if (QWidget* first = NextTabStop(w, nullptr, true)) first->setFocus(Qt::TabFocusReason);
}

void TForm::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (!visible) {
        Widget()->hide();
        return;
    }
    // As in the class library, OnShow runs just before the window appears.
    if (OnShow) RunHandler([this] { OnShow(this); });
    if (!visible_) return;  // OnShow hid it again
    if (classlib::ApplicationMinimised() && classlib::TrayTakesMinimisedApplication()) return;
    placeOnScreen();
    Widget()->show();
    focusFirstControl();
}

void TForm::SetModalResult(TModalResult result) { modalResult_ = result; }

int TForm::ShowModal() {
    if (Application->Terminated()) {
        modalResult_ = mrCancel;
        return mrCancel;
    }
    if (modal_ || visible_) throw Exception("Cannot make a visible window modal");
    modalResult_ = mrNone;
    modal_ = true;
    Widget()->setWindowModality(Qt::ApplicationModal);
    SetVisible(true);
    int answer = AskModal({ModalText(), Caption(), MB_OKCANCEL | MB_MODALFORM}, [this](const MessageBoxRequest&) {
        for (;;) {
            if (Application->Terminated()) return int(mrCancel);
            if (modalResult_ != mrNone) {
                if (CloseQuery()) return modalResult_;
                modalResult_ = mrNone;
            }
            if (!visible_) return int(mrCancel);
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            classlib::FreeDeferred();
        }
    });
    modal_ = false;
    modalResult_ = answer;
    SetVisible(false);
    Widget()->setWindowModality(Qt::NonModal);
    return answer;
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (!OnCloseQuery) return true;
    try {
        OnCloseQuery(this, canClose);
    } catch (...) {
        // A handler that failed has not agreed to the close.
        Application->HandleException(std::current_exception());
        return false;
    }
    return canClose;
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    std::weak_ptr<const void> life = Life();
    if (!CloseQuery() || life.expired()) return;  // OnCloseQuery may free the form
    bool isMain = Application->MainForm() == this;
    SetVisible(false);
    if (isMain) Application->Terminate();
}

namespace {
// The key press and release a keyboard would give `control` for `key`.
void typeInto(QWidget* control, char key) {
    Qt::Key code = key == 13   ? Qt::Key_Return
                   : key == 27 ? Qt::Key_Escape
                   : key == 8  ? Qt::Key_Backspace
                               : Qt::Key_unknown;
    char upper = key >= 'a' && key <= 'z' ? static_cast<char>(key - 'a' + 'A') : key;
    if ((upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9')) code = static_cast<Qt::Key>(upper);
    QString text = QString::fromStdString(AnsiToUtf8(AnsiString(1, key)));
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(control, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(control, &release);
}
}  // namespace

void TForm::Dispatch(TMessage& message) {
    if (message.Msg == WM_CLOSE) {
        Close();
    } else if (message.Msg == WM_SYSCOMMAND) {
        WPARAM command = message.WParam & 0xFFF0;
        if (command == SC_MINIMIZE) Application->Minimize();
        else if (command == SC_RESTORE) Application->Restore();
        else if (command == SC_CLOSE) Close();
    } else if (message.Msg == WM_CHAR) {
        // A character sent to the window is a key typed on it: the control with the focus
        // takes it (after the form's KeyPreview), the window itself when none has it.
        char key = static_cast<char>(message.WParam);
        QWidget* focus = Widget()->focusWidget();
        if (focus && focus != Widget() && focus->isVisible() && focus->isEnabled()) typeInto(focus, key);
        else DeliverKey(key);
    }
}

void TForm::DoCreate() {
    if (OnCreate) RunHandler([this] { OnCreate(this); });
}

void TForm::DoDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (OnDestroy) RunHandler([this] { OnDestroy(this); });
}

void TForm::DeliverKey(char& key) {
    if (TKeyPressEvent h = OnKeyPress) RunHandler([&] { h(this, key); });
}

void TForm::DeliverMouse(int kind, TMouseButton button, TShiftState shift, int x, int y) {
    // Copies: a handler may free the form.
    RunHandler([&] {
        if (kind == kMouseMove) {
            if (TMouseMoveEvent h = OnMouseMove) h(this, shift, x, y);
        } else if (TMouseEvent h = kind == kMouseDown ? OnMouseDown : OnMouseUp) {
            h(this, button, shift, x, y);
        }
    });
}

void TForm::DeliverPaint() {
    QImage& b = *backing_;
    QSize client(ClientWidth(), ClientHeight());
    if (b.size() != client) b = classlib::PrefaultedImage(client, QImage::Format_RGB32);
    b.fill(QColor::fromRgb(ColorToRgb(color_)));
    painting_ = true;
    if (OnPaint) RunHandler([this] { OnPaint(this); });
    painting_ = false;
}

QImage& TForm::Backing() { return *backing_; }
