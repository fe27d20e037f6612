#pragma once
// A fresh simulated machine and application per test, and a robot that acts on the forms
// the program shows modally: one scripted step per form shown, run on the UI thread once
// the form is up (inside its modal loop).
#include "platform/Application.h"
#include "support/qt/PumpUntil.h"
#include "platform/Dialogs.h"
#include "platform/UiThread.h"
#include "platform/qt/ClassLibrary.h"
#include "platform/qt/Forms.h"
#include "platform/qt/StdCtrls.h"
#include "platform/qt/WinUser.h"
#include "support/TempMachine.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class AppCase : public ::testing::Test {
protected:
    AppCase() {
        Application->SetTitle("Ruvozava Corvala");
        // The forms run their own modal loops; boxes go to the recording presenter
        // (BoxesRecordedOnly.cpp).
        SetMessageBoxResponder(nullptr);
    }
    ~AppCase() override {
        ReleaseApplicationForms();
        SetWindowCallRecorder(nullptr);
        QCoreApplication::processEvents();
    }
    TempMachine machine;
};

class FormRobot : public QObject {
public:
    using Step = std::function<void(TForm*)>;
    FormRobot() { qApp->installEventFilter(this); }
    ~FormRobot() override { qApp->removeEventFilter(this); }
    FormRobot& then(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    std::vector<TForm*> shown;  // every form shown, in order
    bool done() const { return steps_.empty(); }

    // Steps.
    static void Key(TForm* form, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* w = form->Widget()->focusWidget();
        QTest::keyClick(w ? w : form->Widget(), key, mods);
    }
    static void Press(TButton* button) { QTest::mouseClick(button->Widget(), Qt::LeftButton); }
    static void CloseBox(TForm* form) { form->Widget()->close(); }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::Show || !o->isWidgetType() || !static_cast<QWidget*>(o)->isWindow()) return false;
        auto* form = dynamic_cast<TForm*>(TControl::ControlOf(static_cast<QWidget*>(o)));
        if (!form) return false;
        shown.push_back(form);
        if (steps_.empty()) return false;
        Step step = std::move(steps_.front());
        steps_.pop_front();
        QueueOnUiThread([step, form] { step(form); });
        return false;
    }

private:
    std::deque<Step> steps_;
};
