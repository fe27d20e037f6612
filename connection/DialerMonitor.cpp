// The timers, the three checks of the monitor, and the hang-up.
#include "Dialer.h"

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Timer.h"
#include "settings/Erros.h"

namespace {
// 0.0014 day: a dial that has not connected by then is given up.
constexpr int64_t kDialTimeoutMs = 120960;
// 0.00006 day: the longest wait for the service to end a hang-up.
constexpr int64_t kHangUpWaitMs = 5184;
constexpr unsigned kHangUpPollMs = 100;
constexpr unsigned kAfterHangUpMs = 500;
}  // namespace

void TDialer::OnRedialTimer(TObject*) {
    DialNow();
    if (redialTimer_) redialTimer_->SetEnabled(false);
}

void TDialer::OnMonitorTimer(TObject*) {
    // Not inside itself (a question or a hang-up of its own), nor while the engine waits
    // for a hang-up or pauses: those are one step of the engine's.
    if (!bound() || busy_ || wait_ != Wait::None) return;
    busy_ = true;
    if (dialing_) CheckDialProgress();
    else if (!connected_) CheckExternalConnection();
    else if (!external_) CheckLineDrop();  // an adopted connection is not watched
    busy_ = false;
}

void TDialer::CheckDialProgress() {
    if (!bound()) return;
    RASCONNSTATUSA status;
    DWORD rc = ConnectStatus(handle_, status);
    if (rc != ERROR_SUCCESS && rc != ERROR_INVALID_HANDLE) {
        DWORD lookup = 0;
        AnsiString text = ErrorText(rc, lookup);
        Status(IntToText(rc) + ": " + text);
        errors_.Add(accessNumber_, static_cast<int>(rc));
        HangUp(userHangUp_);
        if (!userHangUp_) DialNow();
        return;
    }
    if (connected_) return;
    if (CurrentClock().MonotonicMs() - dialStartMs_ > kDialTimeoutMs) {
        Status("Não conectado em menos de 120 segundos."_a);
        HangUp(false);
        // The user may have hung up while the engine waited for the service.
        if (!userHangUp_) DialNow();
    }
}

void TDialer::CheckExternalConnection() {
    if (!FindActiveConnection()) return;
    dialing_ = false;
    connected_ = true;
    external_ = true;
    Status("Conectado externamente.");
    ReportSpeed();
}

void TDialer::CheckLineDrop() {
    if (!bound()) return;
    RASCONNSTATUSA status;
    DWORD rc = ConnectStatus(handle_, status);
    if (rc != ERROR_INVALID_HANDLE && status.rasconnstate != RASCS_Disconnected) return;
    HangUp(userHangUp_);
    Status("Conexão terminada."_a);
    if (userHangUp_) return;
    bool again = window_.AskReconnect();
    if (!again) {
        window_.SetPanel(1);
        return;
    }
    // The user may have dialled, or hung up, while the question was up.
    if (readyToDial() && !userHangUp_) DialNow();
}

void TDialer::HangUp(bool userInitiated) {
    if (!bound()) return;
    if (wait_ == Wait::HangUp) {
        // A hang-up is already waiting for the service: only the user's wish is kept.
        if (userInitiated) userHangUp_ = true;
        return;
    }
    // A hang-up may come inside a pause of the engine's; the pause goes on after it.
    Wait outer = wait_;
    wait_ = Wait::HangUp;
    userHangUp_ = userInitiated;
    redialTimer_->SetEnabled(false);
    Status("Desconectando...");
    HRASCONN handle = handle_;
    RASCONNSTATUSA status;
    if (ConnectStatus(handle, status) != ERROR_INVALID_HANDLE) {
        rasHangUp_(handle);
        RememberHungUp(handle);
        DWORD rc = ConnectStatus(handle, status);
        int64_t start = CurrentClock().MonotonicMs();
        // The window stays alive while the service ends the call; a hang-up that takes
        // longer than the bound is taken as ended.
        while (rc != ERROR_INVALID_HANDLE) {
            Application->ProcessMessages();
            rc = ConnectStatus(handle, status);
            if (CurrentClock().MonotonicMs() - start > kHangUpWaitMs) break;
            Pause(kHangUpPollMs);
        }
        Status("Desconectado.");
        WriteHistory(false);
    }
    Pause(kAfterHangUpMs);
    connected_ = false;
    external_ = false;
    dialing_ = false;
    wait_ = outer;
    window_.Repaint();
}
