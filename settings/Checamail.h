#pragma once
// The mailbox check: after each connection, and then every 15 minutes while its timer runs,
// the user's POP3 mailbox is asked how many messages it holds; the tray (MailTray.h) shows the
// answer (the new-mail image and a hint), with the new-mail sound when there is mail. Not
// for the anonymous account, nor when the automatic check is switched off.
//
// The first check runs on the connected sequence's thread, the timer's ticks and the manual
// check on the UI thread: one conversation at a time on the one client. The tray and the
// timer may be used from either thread.
#include "Services.h"

#include "platform/AnsiString.h"

#include <memory>
#include <mutex>

class TIdPOP3;
class TMailTray;
class TTimer;

class TChecaMail {
public:
    // Uses the status log and the settings; `tray` may be null: nothing is shown then.
    TChecaMail(const TServices& services, TMailTray* tray);
    ~TChecaMail();
    TChecaMail(const TChecaMail&) = delete;
    TChecaMail& operator=(const TChecaMail&) = delete;

    // The number of messages; -1 when the server could not be asked, -2 when the check does
    // not apply (switched off, no login, the anonymous account, no password).
    int Check();
    // Takes the login, password and mail server from the settings, switches the timer on
    // and checks at once.
    void Start();
    void Stop();
    // The timer's tick: checks and shows the outcome in the tray.
    void OnTimer();
    // A full period from now, with the timer on whatever stopped it.
    void Restart();

    bool TimerEnabled() const;

private:
    // The credentials as one copy, taken under their lock.
    struct Account {
        AnsiString host;
        AnsiString user;
        AnsiString password;
    };
    Account account() const;
    int check(const Account& a);  // caller holds checkMutex_

    TLogger& log_;
    TConf& conf_;
    std::unique_ptr<TTimer> timer;
    std::unique_ptr<TIdPOP3> mailClient;
    // Written by Start on the connected sequence's thread, read by the UI thread's ticks.
    mutable std::mutex accountMutex_;
    AnsiString host;
    AnsiString user;
    AnsiString password;
    TMailTray& tray;  // or one that shows nothing
    // One conversation at a time: the client, and what the tray shows with it.
    std::mutex checkMutex_;
    bool closing_ = false;  // under checkMutex_: the object is being freed
};

extern TChecaMail* ChecaMail;
