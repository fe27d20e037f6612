// What runs once a dial of the program's own connects, the connection history "logs.txt"
// and the speed report.
#include "Dialer.h"

#include "Perf.h"
#include "SequenceWorker.h"

#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/ShellApi.h"
#include "platform/SysUtils.h"
#include "settings/Checamail.h"
#include "settings/Conf.h"
#include "settings/Erros.h"
#include "settings/Log.h"
#include "settings/Logcon.h"
#include "settings/Telget.h"
#include "settings/Versao.h"

#include <cstdio>
#include <exception>
#include <memory>

void TDialer::OnConnected() {
    if (!running()) return;
    // What the sequence needs of the engine's fields is taken now, on the UI thread.
    HRASCONN handle = handle_;
    AnsiString number = areaPrefix_ + accessNumber_;
    sequence_->Post([this, handle, number] { ConnectedSequence(handle, number); });
}

template <typename F>
void TDialer::Step(F&& step) noexcept {
    // Each step reports its own failures; one that escapes it anyway is reported here and
    // the sequence goes on with the next.
    try {
        step();
    } catch (const std::exception& e) {
        Status(e.what());
    } catch (...) {}
}

void TDialer::ConnectedSequence(HRASCONN handle, const AnsiString& number) {
    std::unique_ptr<TTelGet> telGet;
    std::unique_ptr<TVersao> versao;
    bool newer = false;
    Step([this] { conf_.RememberUser(); });
    Step([&] {
        telGet = std::make_unique<TTelGet>(services_);
        telGet->Update();
    });
    Step([this] { mail_.Start(); });
    Step([this] { WriteHistory(true); });
    Step([this] { window_.Repaint(); });
    Step([this] { errors_.Send(); });
    Step([this, handle] { ReportSpeedOf(handle); });
    Step([this, &number] { report_.Send(conf_.GetUser(), version_, number); });
    Step([&] {
        versao = std::make_unique<TVersao>(services_);
        newer = versao->CheckNewVersion();
    });
    Step([] { TDialerWindow::MinimizeApplication(); });
    Step([&] {
        // Opened by the shell; what it answers is not looked at.
        if (!newer) ShellExecuteA(nullptr, "open", edition_.PageAfterConnect(conf_.GetUser()), "", "", SW_SHOWNORMAL);
    });
    Step([&] { versao.reset(); });
    Step([&] { telGet.reset(); });
}

void TDialer::WriteHistory(bool start) {
    AnsiString path = ExtractFileDir(Application->ExeName()) + "\\logs.txt";
    AnsiString line = (start ? "Início conexão: "_a : "Término conexão: "_a) +
                      FormatDateTime("dd/mm/yyyy hh:nn:ss", Now()) + "\r\n";
    AnsiString failure;
    {
        std::lock_guard lock(historyMutex_);
        std::FILE* file = std::fopen(NativePath(path).c_str(), "ab");
        if (!file) {
            failure = "Ocorreu um erro ao abrir arquivo de log.";
        } else {
            bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
            // The line may only reach the disk when the file is closed.
            written = std::fclose(file) == 0 && written;
            if (!written) failure = "Ocorreu um erro ao gravar arquivo de log.";
        }
    }
    Status(failure);
}

void TDialer::ReportSpeed() { ReportSpeedOf(handle_); }

void TDialer::ReportSpeedOf(HRASCONN handle) {
    if (!bound()) return;
    DWORD speed = 0;
    {
        auto perf = std::make_unique<TPerf>(services_);
        speed = perf->GetSpeed(handle);
    }
    if (speed == 0) return;
    AnsiString text = "Conectado a " + FormatFloat("##,###", speed) + " bps";
    Status(text);
    window_.SetTrayHint(text);
}
