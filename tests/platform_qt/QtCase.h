#pragma once
// A fresh simulated machine and a fresh application per test, and a bounded, event-driven
// wait for what other threads and processes do.
#include "platform/Application.h"
#include "support/qt/PumpUntil.h"
#include "platform/qt/ClassLibrary.h"
#include "platform/qt/Forms.h"
#include "platform/qt/Trayicon.h"
#include "platform/qt/WinUser.h"
#include "support/TempMachine.h"

#include <QCoreApplication>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

class QtCase : public ::testing::Test {
protected:
    QtCase() { Application->SetTitle("Vyn teste"); }
    ~QtCase() override {
        ReleaseApplicationForms();
        SetWindowCallRecorder(nullptr);
        TTrayIcon::SetSystemTrayAvailableForTests(false);
        QCoreApplication::processEvents();
    }
    TempMachine machine;
};

// A form that counts what the tests look at.
class CountingForm : public TForm {
public:
    explicit CountingForm(TComponent* owner) : TForm(owner) {
        SetName("CountingForm");
        OnShow = [this](TObject*) { ++shows; };
    }
    void Dispatch(TMessage& m) override {
        if (m.Msg == 0x8191) {
            messages.push_back(m);
            m.Result = 1;
            return;
        }
        TForm::Dispatch(m);
    }
    int shows = 0;
    std::vector<TMessage> messages;
};
