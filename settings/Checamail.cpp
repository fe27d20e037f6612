#include "Checamail.h"

#include "Conf.h"
#include "Log.h"
#include "MailTray.h"

#include "platform/Pop3Client.h"
#include "platform/Sound.h"
#include "platform/SysUtils.h"
#include "platform/Timer.h"

TChecaMail* ChecaMail = nullptr;

namespace {
// The provider's anonymous account has no mailbox of its own.
const AnsiString kAnonymousLogin = "vyn";
constexpr unsigned kInterval = 900000;  // 15 minutes
constexpr int kNormalImage = 0;
constexpr int kNewMailImage = 1;

// Stands in for a missing tray.
class TNoTray : public TMailTray {
public:
    void ShowMailState(int, const AnsiString&) override {}
};

TMailTray& orNoTray(TMailTray* tray) {
    static TNoTray none;
    return tray ? *tray : none;
}

const AnsiString& accessError() {
    static const AnsiString text = "Ocorreu um erro ao tentar acessar o servidor de e-mail";
    return text;
}
}  // namespace

TChecaMail::TChecaMail(const TServices& services, TMailTray* tray)
    : log_(services.Log()), conf_(services.Settings()), mailClient(std::make_unique<TIdPOP3>()),
      tray(orNoTray(tray)) {
    timer = std::make_unique<TTimer>(nullptr);
    timer->SetEnabled(false);
    timer->SetInterval(kInterval);
    timer->OnTimer = [this](TObject*) { OnTimer(); };
}

TChecaMail::~TChecaMail() {
    {
        // A check on another thread ends first (it may still stop the timer), and no tick
        // that comes after it starts one.
        std::lock_guard lock(checkMutex_);
        closing_ = true;
    }
    timer.reset();  // no tick after this
    mailClient.reset();
}

TChecaMail::Account TChecaMail::account() const {
    std::lock_guard lock(accountMutex_);
    return {host, user, password};
}

bool TChecaMail::TimerEnabled() const { return timer->Enabled(); }

int TChecaMail::Check() {
    Account a = account();
    std::lock_guard lock(checkMutex_);
    if (closing_) return -2;
    return check(a);
}

int TChecaMail::check(const Account& a) {
    bool on = conf_.GetAutoCheckMail();
    if (!on || a.user.empty() || a.user == kAnonymousLogin || a.password.empty()) return -2;
    log_.Add("Checando e-mail...");
    try {
        mailClient->Host = a.host;
        mailClient->UserId = a.user;
        mailClient->Password = a.password;
        mailClient->Connect();
        if (!mailClient->Connected()) return -1;
        int count = mailClient->CheckMessages();
        // The count is good whatever QUIT meets: the client closes the line either way.
        mailClient->Disconnect();
        return count;
    } catch (const Exception& e) {
        log_.Add("Checar e-mail: " + e.Message);
        // Whatever went wrong, the next check starts on a fresh connection, without QUIT.
        if (mailClient->Connected()) mailClient = std::make_unique<TIdPOP3>();
        return -1;
    }
}

void TChecaMail::Start() {
    timer->SetEnabled(true);
    {
        std::lock_guard lock(accountMutex_);
        user = conf_.GetUser();
        password = conf_.GetPassword();
        host = conf_.GetMailServer();
    }
    OnTimer();
}

void TChecaMail::Stop() { timer->SetEnabled(false); }

void TChecaMail::Restart() {
    timer->SetEnabled(false);
    timer->SetEnabled(true);
}

void TChecaMail::OnTimer() {
    Account a = account();
    // The tray shows the outcome of the check that ran last, so both go under one lock.
    std::lock_guard lock(checkMutex_);
    if (closing_) return;
    int n = check(a);
    if (n == -2) {
        Stop();
        return;
    }
    if (n == -1) {
        Stop();
        log_.Add(accessError());
        tray.ShowMailState(kNormalImage, accessError());
    } else if (n == 0) {
        tray.ShowMailState(kNormalImage, "Não há mensagens."_a);
    } else {
        tray.ShowMailState(kNewMailImage,
                           n == 1 ? "Você tem uma mensagem."_a : "Você tem "_a + IntToStr(n) + " mensagens.");
        // Starts the sound and goes on; without an audio device nothing is heard.
        PlaySoundResource("SND1");
    }
}
