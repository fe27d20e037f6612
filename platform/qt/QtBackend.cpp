#include "ClassLibrary.h"

#include "Forms.h"
#include "Internal.h"
#include "QtDispatcher.h"
#include "platform/Dialogs.h"
#include "platform/StartupReport.h"
#include "platform/TimerScheduler.h"
#include "platform/UiThread.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <limits>
#include <vector>

namespace {
// Keys for controls pass their form's KeyPreview first, and nothing thrown inside Qt's
// delivery goes further than here.
class VynApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* e) override {
        classlib::DeliveryScope delivery(receiver);
        try {
            // The receiver first: events posted from other threads go to plain objects,
            // and only keys for widgets are looked at here.
            if (receiver->isWidgetType() && e->type() == QEvent::KeyPress) {
                bool result = false;
                auto deliver = [&] { return QApplication::notify(receiver, e); };
                if (classlib::PreviewControlKey(static_cast<QWidget*>(receiver), static_cast<QKeyEvent*>(e), deliver,
                                                result))
                    return result;
            }
            return QApplication::notify(receiver, e);
        } catch (...) {
            Application->HandleException(std::current_exception());
            return false;
        }
    }
};

class QtBackend : public ApplicationBackend {
public:
    void Initialize() override { QApplication::setQuitOnLastWindowClosed(false); }

    void ProcessMessages() override {
        if (!IsUiThread()) return;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        classlib::FreeDeferred();
    }

    void HandleMessage() override {
        if (!IsUiThread()) return;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        classlib::FreeDeferred();
    }

    void Minimize() override {
        RunOnUiThread([this] { minimize(); });
    }
    void Restore() override {
        RunOnUiThread([this] { restore(); });
    }

    void Terminate() override {
        // The loops look at the flag once woken; Qt's own boxes are closed (cancelled).
        QtDispatcher::Instance().Wake();
        QueueOnUiThread([] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) d->reject();
        });
    }

    void Run() override {
        TForm* main = main_.load();
        if (Application->Terminated() || !main) return;
        ReportStartup("run");
        if (Application->ShowMainForm()) main->SetVisible(true);
        while (!Application->Terminated()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            classlib::FreeDeferred();
        }
    }

    void AdoptForm(TForm* form) override {
        forms_.push_back(form);
        ReportStartup("built " + form->Name());
        form->DoCreate();
        ReportStartup("created " + form->Name());
        TForm* none = nullptr;
        main_.compare_exchange_strong(none, form);
    }

    TForm* MainForm() override { return main_.load(); }
    HWND Handle() override { return classlib::ApplicationHandle(); }

    bool Minimised() const { return minimised_.load(); }

    void FormGone(TForm* form) {
        std::erase(forms_, form);
        TForm* was = form;
        main_.compare_exchange_strong(was, nullptr);
    }

    void Release() {
        while (!forms_.empty()) forms_.back()->Free();
        main_.store(nullptr);
        minimised_.store(false);
        Application->SetShowMainForm(true);
        Application->OnRestore = nullptr;
    }

private:
    void minimize() {
        if (minimised_.exchange(true)) return;
        if (classlib::TrayTakesMinimisedApplication()) {
            // Only the tray icon stays; the forms keep their Visible.
            for (TForm* f : forms_)
                if (f->Visible()) f->Widget()->hide();
        } else if (TForm* main = main_.load(); main && main->Visible()) {
            // No tray to come back from: an ordinary minimise keeps the window reachable.
            main->Widget()->showMinimized();
        }
    }

    void restore() {
        if (!minimised_.exchange(false)) return;
        for (TForm* f : forms_)
            if (f->Visible()) f->Widget()->showNormal();
        if (TForm* main = main_.load(); main && main->Visible()) {
            main->Widget()->raise();
            main->Widget()->activateWindow();
        }
        if (TNotifyEvent h = Application->OnRestore) RunHandler([&] { h(Application); });
    }

    std::vector<TForm*> forms_;  // UI thread
    std::atomic<TForm*> main_{nullptr};
    std::atomic<bool> minimised_{false};
};

QtBackend gBackend;

// Wakes the UI thread when the next timer falls due on a clock whose time moves by itself.
class QtTimerWakeup : public TimerWakeup {
public:
    QtTimerWakeup() {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [] { TimerScheduler::Instance().Wake(); });
    }
    void WakeAfter(int64_t ms) override {
        timer_.start(static_cast<int>(std::min<int64_t>(ms, std::numeric_limits<int>::max())));
    }
    void Cancel() override { timer_.stop(); }

private:
    QTimer timer_;
};
}  // namespace

namespace classlib {
void FreeDeferred() {
    // Qt frees a deferred delete only in a loop outside the delivery that asked for it; a
    // loop run by no handler may also free what was asked outside any delivery. A nested
    // loop leaves them all to Qt: forcing them there frees a menu under its own handler.
    if (!Delivering()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool ApplicationMinimised() { return gBackend.Minimised(); }
void FormGone(TForm* form) { gBackend.FormGone(form); }
}  // namespace classlib

void ReleaseApplicationForms() { gBackend.Release(); }

struct TClassLibrary::Impl {
    std::unique_ptr<VynApplication> app;
    std::unique_ptr<QtTimerWakeup> timerWakeup;
};

TClassLibrary::TClassLibrary(int& argc, char** argv) : d_(std::make_unique<Impl>()) {
    ReportStartup("main");
    SetCommandLine(argc, argv);
    d_->app = std::make_unique<VynApplication>(argc, argv);
    ReportStartup("app");
    gBackend.Initialize();
    QtDispatcher::Instance().Start();
    d_->timerWakeup = std::make_unique<QtTimerWakeup>();
    TimerScheduler::Instance().SetWakeup(d_->timerWakeup.get());
    SetMessageBoxPresenter(classlib::PresentMessageBox);
    Application->SetBackend(&gBackend);
}

TClassLibrary::~TClassLibrary() {
    ReleaseApplicationForms();
    classlib::CloseInstances();
    Application->SetBackend(nullptr);
    SetMessageBoxPresenter(nullptr);
    TimerScheduler::Instance().SetWakeup(nullptr);
    d_->timerWakeup.reset();
    QtDispatcher::Instance().Stop();
    classlib::FreeDeferred();
    d_->app.reset();
}
