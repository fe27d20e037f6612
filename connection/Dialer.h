#pragma once
// The connection engine over the dial-up service ("RASAPI32.DLL", bound by name): the
// program's phonebook entry, dialing with redials and a time-out, one status line per dial
// state, the adoption of a connection made outside the program, the watch for a dropped
// line, the hang-up, and the sequence that runs once a dial of its own connects.
//
// Threads. The service notifies on its own thread; the notifier only queues each
// notification to the UI thread, in arrival order. Everything else of the state machine
// (Dial, HangUp, the timers, OnRasDial) runs on the UI thread, so its fields need no lock.
// The connected sequence runs on one worker thread; its window steps are handed to the UI
// thread. The main window calls Shutdown first in its FormDestroy: from then on no
// notification reaches the engine, and a running sequence has ended when it returns.
//
// Pauses (400 ms before a dial, the hang-up's polls, 500 ms after it) keep the UI thread, as
// the platform's Sleep does. A pause sleeps on the clock in force: on a test's clock the
// pausing thread advances it, so the service and the timers see the time go by and no test
// sleeps; the monitor ignores the ticks that fall inside the engine's own pauses.
#include "DialerWindow.h"

#include "platform/AnsiString.h"
#include "platform/Library.h"
#include "platform/Object.h"
#include "platform/RasApi.h"
#include "platform/SysUtils.h"
#include "settings/Edition.h"
#include "settings/RasLibrary.h"
#include "settings/Services.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

class TTimer;
class TSequenceWorker;
class TWindowLink;

// The decimal text of a dial-up error code, for the status lines.
AnsiString IntToText(long long value);

// The notifier handed to RasDialA (notifier type 1).
void RasDialCallback(HRASCONN hrasconn, UINT unMsg, RASCONNSTATE rascs, DWORD dwError, DWORD dwExtendedError);

class TDialer {
public:
    // Binds the service, names the entry after the program's version, adopts a connection
    // already up, starts the monitor and makes sure the entry exists. Without the service
    // (or one of its required entry points) it shows the fatal message and asks the
    // application to end; the object then does nothing and answers false.
    //
    // Uses every service of the record, and its edition's dial plan. `window` is the main
    // window, or null (see TDialerWindow).
    TDialer(const TServices& services, TWindowLink* window);
    // Shutdown, then frees the service library; it does not hang up.
    ~TDialer();
    TDialer(const TDialer&) = delete;
    TDialer& operator=(const TDialer&) = delete;

    // --- phonebook entry and dial string (UI thread; also the settings dialog) -----------
    void SyncPhonebookEntry();
    void DeleteEntry(const AnsiString& entryName);
    void CreateEntry();
    void UpdateEntry(const AnsiString& phone);
    // The line prefixes, the edition's long-distance prefix and `number`, cut to the
    // kDialStringMax characters the entry and the dial parameters hold.
    AnsiString BuildDialString(const AnsiString& number);
    bool FindActiveConnection();

    // --- what the windows read ------------------------------------------------------------
    bool IsConnected() const { return connected_.load(); }
    bool IsDialing() const { return dialing_.load(); }
    bool IsExternal() const { return external_.load(); }
    AnsiString EntryName() const { return entryName_; }
    AnsiString Version() const { return version_; }
    HRASCONN ConnectionHandle() const { return handle_.load(); }
    // The service's optional AutoDial entry points, for TIEConnection; null where missing.
    PFN_RasGetAutodialAddressA GetAutodialAddressEntry() const { return rasGetAutodialAddress_; }
    PFN_RasSetAutodialAddressA SetAutodialAddressEntry() const { return rasSetAutodialAddress_; }

    // --- dialing, monitoring, hang-up (UI thread) -----------------------------------------
    void Dial(const AnsiString& login, const AnsiString& password);
    void DialNow();
    void OnRasDial(HRASCONN handle, UINT message, RASCONNSTATE state, DWORD error, DWORD extendedError);
    static AnsiString StateText(RASCONNSTATE state);
    void OnMonitorTimer(TObject* sender);
    void OnRedialTimer(TObject* sender);
    void CheckDialProgress();
    void CheckExternalConnection();
    void CheckLineDrop();
    void HangUp(bool userInitiated);

    // --- the connected sequence and the history -------------------------------------------
    // Starts the sequence on the worker thread and returns.
    void OnConnected();
    void WriteHistory(bool start);
    void ReportSpeed();
    // A connected sequence is running or waiting to run.
    bool IsSequenceRunning() const;

    // Stops taking notifications, stops the timers and waits for a running sequence while
    // serving the UI thread's messages. The main window calls it first in FormDestroy.
    void Shutdown();

    static constexpr std::size_t kDialStringMax = 128;
    // The monitor's 1000 ms and the redial's 7000 ms.
    static constexpr unsigned kMonitorInterval = 1000;
    static constexpr unsigned kRedialInterval = 7000;

private:
    // Where the engine is in its life: its binding failed (it does nothing and answers
    // false), it runs, or it has shut down (no notification, timer or sequence reaches it).
    enum class Life { Unbound, Running, ShutDown };
    // What the engine waits for on the UI thread, if anything: its own pause, or the service
    // ending a hang-up (a pause inside a hang-up is the hang-up's). The monitor stays out of
    // both; a dial is refused until a hang-up has ended.
    enum class Wait { None, Pause, HangUp };

    bool bound() const { return life_ != Life::Unbound; }
    bool running() const { return life_ == Life::Running; }
    // Running, with no dial, connection or hang-up under way (a hang-up still waiting for
    // the service finishes first).
    bool readyToDial() const { return running() && !dialing_ && !connected_ && wait_ != Wait::HangUp; }
    bool bind();
    // BuildDialString before the cut.
    AnsiString fullDialString(const AnsiString& number);
    // A status line through the status log.
    void Status(const AnsiString& text);
    // The service's text for `code` in a zeroed 256-byte buffer, and the lookup's own result.
    AnsiString ErrorText(DWORD code, DWORD& lookupResult);
    DWORD ConnectStatus(HRASCONN handle, RASCONNSTATUSA& status);
    void Pause(unsigned ms);
    // A handle the engine has hung up: its late notifications change nothing, and it is
    // never adopted as an outside connection.
    void RememberHungUp(HRASCONN handle);
    bool WasHungUp(HRASCONN handle) const;
    // The service may hand a handle out again: a new dial's handle is that dial's.
    void ForgetHungUp(HRASCONN handle);
    void ConnectedSequence(HRASCONN handle, const AnsiString& number);
    void ReportSpeedOf(HRASCONN handle);
    template <typename F>
    void Step(F&& step) noexcept;

    // The services it uses, and the window.
    TLogger& log_;
    TXMLvyn& phones_;
    TConf& conf_;
    TChecaMail& mail_;
    TErros& errors_;
    TLogCon& report_;
    const TServices services_;  // for the helpers it makes (phone list download, update check, speed)
    const TDialerWindow window_;

    // The connection: its handle, whether it is up, found up outside the program, or being
    // dialled; the monitor's tick in progress.
    std::atomic<HRASCONN> handle_{0};
    std::atomic<bool> connected_{false};
    std::atomic<bool> external_{false};
    bool busy_ = false;
    std::atomic<bool> dialing_{false};
    // The dial: its attempts, whether the user hung up last, its numbers, the monitor's and
    // the redial's timers, and when it began.
    int attempts_ = 0;
    bool userHangUp_ = false;
    AnsiString accessNumber_;
    AnsiString areaPrefix_;
    std::unique_ptr<TTimer> monitorTimer_;
    std::unique_ptr<TTimer> redialTimer_;
    TDateTime dialStart_ = 0;
    // The program's version, the service and its entry points, the phonebook entry's name.
    AnsiString version_;
    TRasLibrary ras_;
    PFN_RasGetErrorStringA rasGetErrorString_ = nullptr;
    PFN_RasHangUpA rasHangUp_ = nullptr;
    PFN_RasGetConnectStatusA rasGetConnectStatus_ = nullptr;
    PFN_RasGetEntryPropertiesA rasGetEntryProperties_ = nullptr;
    PFN_RasSetEntryPropertiesA rasSetEntryProperties_ = nullptr;
    PFN_RasDialA rasDial_ = nullptr;
    PFN_RasEnumConnectionsA rasEnumConnections_ = nullptr;
    PFN_RasEnumEntriesA rasEnumEntries_ = nullptr;
    PFN_RasDeleteEntryA rasDeleteEntry_ = nullptr;
    AnsiString entryName_;
    PFN_RasGetAutodialAddressA rasGetAutodialAddress_ = nullptr;
    PFN_RasSetAutodialAddressA rasSetAutodialAddress_ = nullptr;

    // Its life, and what it waits for: the UI thread is served inside those waits, so its
    // own steps can be asked for again meanwhile.
    Life life_ = Life::Unbound;
    Wait wait_ = Wait::None;

    int64_t dialStartMs_ = 0;      // the monotonic clock at the dial's start
    std::deque<HRASCONN> hungUp_;  // the latest handles the engine hung up
    const TEdition& edition_;
    std::mutex historyMutex_;  // "logs.txt" is appended from both threads
    std::unique_ptr<TSequenceWorker> sequence_;
};

extern TDialer* Dialer;
