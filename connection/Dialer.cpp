#include "Dialer.h"

#include "SequenceWorker.h"

#include "platform/Clock.h"
#include "platform/SysUtils.h"
#include "platform/UiThread.h"
#include "platform/Timer.h"
#include "settings/Log.h"
#include "settings/Versao.h"

#include <algorithm>
#include <cstring>

TDialer* Dialer = nullptr;

namespace {
// How many hung-up handles are remembered: far more than can still be notified.
constexpr std::size_t kHungUpRemembered = 32;

// Where the notifier hands notifications over: the engine taking them, or none. The
// notifier reads it on the service's thread; the UI thread checks it again before each
// notification runs, so nothing reaches an engine that has shut down.
struct NotificationGate {
    std::mutex mutex;
    TDialer* engine = nullptr;

    TDialer* target() {
        std::lock_guard lock(mutex);
        return engine;
    }
    void set(TDialer* d) {
        std::lock_guard lock(mutex);
        engine = d;
    }
    void clearIf(TDialer* d) {
        std::lock_guard lock(mutex);
        if (engine == d) engine = nullptr;
    }
};

const std::shared_ptr<NotificationGate>& Gate() {
    static const auto gate = std::make_shared<NotificationGate>();
    return gate;
}
}  // namespace

AnsiString IntToText(long long value) { return IntToStr(value); }

void RasDialCallback(HRASCONN hrasconn, UINT unMsg, RASCONNSTATE rascs, DWORD dwError, DWORD dwExtendedError) {
    std::shared_ptr<NotificationGate> gate = Gate();
    if (!gate->target()) return;
    QueueOnUiThread([gate, hrasconn, unMsg, rascs, dwError, dwExtendedError] {
        if (TDialer* engine = gate->target()) engine->OnRasDial(hrasconn, unMsg, rascs, dwError, dwExtendedError);
    });
}

TDialer::TDialer(const TServices& services, TWindowLink* window)
    : log_(services.Log()), phones_(services.Phones()), conf_(services.Settings()), mail_(services.Mail()),
      errors_(services.Errors()), report_(services.Report()), services_(services), window_(window),
      edition_(services.Edition()), sequence_(std::make_unique<TSequenceWorker>()) {
    if (!bind()) return;
    life_ = Life::Running;
    auto versao = std::make_unique<TVersao>(services_);
    version_ = versao->localVersion;
    entryName_ = "Ruvozava Corvala " + TVersao::CutAtLastDelimiter(version_, ".");
    Gate()->set(this);

    CheckExternalConnection();

    monitorTimer_ = std::make_unique<TTimer>();
    monitorTimer_->SetInterval(kMonitorInterval);
    monitorTimer_->OnTimer = [this](TObject* sender) { OnMonitorTimer(sender); };
    monitorTimer_->SetEnabled(true);

    redialTimer_ = std::make_unique<TTimer>();
    redialTimer_->SetEnabled(false);
    redialTimer_->SetInterval(kRedialInterval);
    redialTimer_->OnTimer = [this](TObject* sender) { OnRedialTimer(sender); };

    SyncPhonebookEntry();
}

TDialer::~TDialer() {
    Shutdown();
    ras_.Release();
    monitorTimer_.reset();
    redialTimer_.reset();
}

bool TDialer::bind() {
    // The nine the engine calls, then the two that only the default connection uses.
    return ras_.Need(rasGetErrorString_, "RasGetErrorStringA")
        .Need(rasHangUp_, "RasHangUpA")
        .Need(rasGetConnectStatus_, "RasGetConnectStatusA")
        .Need(rasGetEntryProperties_, "RasGetEntryPropertiesA")
        .Need(rasSetEntryProperties_, "RasSetEntryPropertiesA")
        .Need(rasDial_, "RasDialA")
        .Need(rasEnumConnections_, "RasEnumConnectionsA")
        .Need(rasEnumEntries_, "RasEnumEntriesA")
        .Need(rasDeleteEntry_, "RasDeleteEntryA")
        .Want(rasGetAutodialAddress_, "RasGetAutodialAddressA")
        .Want(rasSetAutodialAddress_, "RasSetAutodialAddressA")
        .BoundOrQuit();
}

void TDialer::Shutdown() {
    // An engine whose binding failed has nothing running to stop.
    if (!running()) return;
    life_ = Life::ShutDown;
    Gate()->clearIf(this);
    if (monitorTimer_) monitorTimer_->SetEnabled(false);
    if (redialTimer_) redialTimer_->SetEnabled(false);
    sequence_->Stop();
}

bool TDialer::IsSequenceRunning() const { return sequence_->Busy(); }

void TDialer::Status(const AnsiString& text) { log_.Add(text); }

AnsiString TDialer::ErrorText(DWORD code, DWORD& lookupResult) {
    char buffer[256] = {};
    lookupResult = rasGetErrorString_(code, buffer, sizeof buffer);
    return AnsiString(buffer, strnlen(buffer, sizeof buffer));
}

DWORD TDialer::ConnectStatus(HRASCONN handle, RASCONNSTATUSA& status) {
    std::memset(&status, 0, sizeof status);
    status.dwSize = sizeof status;
    return rasGetConnectStatus_(handle, &status);
}

void TDialer::Pause(unsigned ms) {
    Wait outer = wait_;
    if (outer == Wait::None) wait_ = Wait::Pause;
    CurrentClock().Sleep(ms);
    wait_ = outer;
}

void TDialer::RememberHungUp(HRASCONN handle) {
    if (handle == 0 || WasHungUp(handle)) return;
    hungUp_.push_back(handle);
    if (hungUp_.size() > kHungUpRemembered) hungUp_.pop_front();
}

void TDialer::ForgetHungUp(HRASCONN handle) { std::erase(hungUp_, handle); }

bool TDialer::WasHungUp(HRASCONN handle) const {
    return handle != 0 && std::find(hungUp_.begin(), hungUp_.end(), handle) != hungUp_.end();
}
