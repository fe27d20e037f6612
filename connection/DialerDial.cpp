// The dial: the user's request, each attempt over the service, and what each notification
// of a dial does.
#include "Dialer.h"

#include "platform/Clock.h"
#include "platform/SysUtils.h"
#include "platform/Timer.h"
#include "settings/Conf.h"
#include "settings/Erros.h"
#include "settings/Xmlvyn.h"

#include <algorithm>
#include <cstring>

namespace {
// The provider's anonymous account.
const AnsiString kAnonymousLogin = "vyn";
const AnsiString kAnonymousPassword = "zuq";
// Attempts of one Dial before giving up.
constexpr int kAttemptLimit = 5;

// Copies `text` into a zero-terminated field, cut to fit.
template <std::size_t N>
void PutField(CHAR (&field)[N], const AnsiString& text) {
    std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}
}  // namespace

void TDialer::Dial(const AnsiString& loginText, const AnsiString& passwordText) {
    if (!readyToDial()) return;
    AnsiString login = loginText, password = passwordText;
    if (login.empty()) {
        login = kAnonymousLogin;
        password = kAnonymousPassword;
    }
    if (password.empty()) password = kAnonymousPassword;
    conf_.SetUser(login);
    conf_.SetPassword(password);
    if (conf_.GetOperadora() > 0 && phones_.GetDDD() != conf_.GetDDD() && !window_.ConfirmLongDistance()) return;
    AnsiString number = edition_.DialNumber(services_);
    if (number.empty()) return;
    accessNumber_ = number;
    UpdateEntry(BuildDialString(accessNumber_));
    attempts_ = 0;
    userHangUp_ = false;
    DialNow();
}

void TDialer::DialNow() {
    if (!running()) return;
    handle_ = 0;
    if (redialTimer_->Enabled()) {
        // The 7-second wait has ended (or the user dialled during it): no attempt counted.
        redialTimer_->SetEnabled(false);
        AnsiString number = edition_.RedialNumber(services_);
        if (number.empty()) return;
        accessNumber_ = number;
        UpdateEntry(BuildDialString(accessNumber_));
    } else if (++attempts_ > 1) {
        // A redial the monitor or the reconnect question asked for: wait, or give up. The
        // wait's end moves the number on, so this step leaves it where it is.
        AnsiString number = edition_.WaitingNumber(services_);
        if (!number.empty()) {
            accessNumber_ = number;
            UpdateEntry(BuildDialString(accessNumber_));
        }
        if (attempts_ < kAttemptLimit) {
            Status("Aguardando 7 segundos para rediscar...");
            redialTimer_->SetEnabled(true);
        } else {
            Status("Não foi possível conectar após 5 tentativas, tente novamente mais tarde."_a);
            dialing_ = false;
        }
        return;
    }

    dialStart_ = Now();
    dialStartMs_ = CurrentClock().MonotonicMs();
    AnsiString dialString = fullDialString(accessNumber_);
    if (dialString.size() > kDialStringMax) {
        Status("O número a discar passa de 128 caracteres e foi cortado."_a);
        dialString.resize(kDialStringMax);
    }
    areaPrefix_ = edition_.ReportPrefix(services_);
    Status("Telefone: " + dialString);

    RASDIALPARAMSA params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof params;
    PutField(params.szEntryName, entryName_);
    PutField(params.szPhoneNumber, dialString);
    PutField(params.szUserName, conf_.GetUser());
    PutField(params.szPassword, conf_.GetPassword());

    Pause(400);
    Status("Discando...");
    // Set before the call: the dial's notifications find it so, however early they come.
    dialing_ = true;
    HRASCONN handle = 0;
    DWORD rc = rasDial_(nullptr, nullptr, &params, 1, reinterpret_cast<void*>(&RasDialCallback), &handle);
    // Its notifications are still queued for the UI thread: from here on they are this dial's.
    ForgetHungUp(handle);
    handle_ = handle;
    if (rc == 0) return;

    // The dial did not start: no notification will come, and no redial follows.
    dialing_ = false;
    DWORD lookup = 0;
    AnsiString text = ErrorText(rc, lookup);
    if (lookup == ERROR_INVALID_PARAMETER) Status("ERROR_INVALID_PARAMETER");
    else if (lookup == ERROR_INSUFFICIENT_BUFFER) Status("ERROR_INSUFFICIENT_BUFFER");
    Status(IntToText(rc) + ": " + text);
    errors_.Add(accessNumber_, static_cast<int>(rc));
    Status("Discagem falhou!");
    HangUp(userHangUp_);
}

void TDialer::OnRasDial(HRASCONN handle, UINT, RASCONNSTATE state, DWORD error, DWORD) {
    if (!bound()) return;
    // A notification for a dial the engine has already hung up is only reported.
    bool late = WasHungUp(handle);
    Status(StateText(state));
    if (error != 0) {
        DWORD lookup = 0;
        AnsiString text = ErrorText(error, lookup);
        if (lookup == ERROR_INVALID_PARAMETER) Status("ERROR_INVALID_PARAMETER: " + IntToText(error));
        else if (lookup == ERROR_INSUFFICIENT_BUFFER) Status("ERROR_INSUFFICIENT_BUFFER");
        bool reported = late ? !userHangUp_ && error != ERROR_PORT_DISCONNECTED
                             : !(error == ERROR_PORT_DISCONNECTED && userHangUp_);
        if (reported) {
            Status(IntToText(error) + ": " + text);
            errors_.Add(accessNumber_, static_cast<int>(error));
        }
        if (late) return;
        redialTimer_->SetEnabled(false);
        rasHangUp_(handle);
        RememberHungUp(handle);
        connected_ = false;
        external_ = false;
        dialing_ = false;
        if (userHangUp_) return;
        ++attempts_;
        if (attempts_ == 1) return;
        if (attempts_ < kAttemptLimit) {
            Status("7 segundos para rediscar....");
            redialTimer_->SetEnabled(true);
        } else {
            Status("Não foi possível conectar após 5 tentativas, tente novamente mais tarde."_a);
        }
        return;
    }
    if (state == RASCS_Connected && !late) {
        connected_ = true;
        external_ = false;
        dialing_ = false;
        OnConnected();
    }
}

AnsiString TDialer::StateText(RASCONNSTATE state) {
    switch (state) {
    case RASCS_OpenPort:
    case RASCS_PortOpened:
    case RASCS_ConnectDevice:
    case RASCS_DeviceConnected:
    case RASCS_AllDevicesConnected:
    case RASCS_AuthNotify:
    case RASCS_AuthProject:
    case RASCS_Projected:
    case RASCS_StartAuthentication: return "";
    case RASCS_Authenticate: return "Verificando usuário e senha..."_a;
    case RASCS_AuthRetry: return "Tentativa de validação com outro usuário solicitada."_a;
    case RASCS_AuthCallback: return "O servidor pediu um telefone de retorno.";
    case RASCS_AuthChangePassword: return "O usuário foi solicitado para trocar de senha"_a;
    case RASCS_AuthLinkSpeed: return "A fase do cálculo de velocidade foi iniciada..."_a;
    case RASCS_AuthAck: return "Um requerimento de autenticação está em andamento."_a;
    case RASCS_ReAuthenticate: return "Re-autenticação (após retorno) foi iniciada."_a;
    case RASCS_Authenticated: return "Usuário autenticado."_a;
    case RASCS_PrepareForCallback: return "A linha está sendo desconectada para o retorno."_a;
    case RASCS_WaitForModemReset: return "Aguardando para dar tempo para o modem reiniciar.";
    case RASCS_WaitForCallback: return "Esperando por uma chamada do servidor.";
    case RASCS_CallbackComplete: return "A ligação foi retornada e irá continuar a autenticação."_a;
    case RASCS_LogonNetwork: return "Registrando na rede...";
    case RASCS_SubEntryConnected: return "A subentrada foi conectada";
    case RASCS_SubEntryDisconnected: return "A subentrada foi desconectada";
    case RASCS_Interactive: return "Estado do terminal suportado pelo RASPHONE.EXE.";
    case RASCS_RetryAuthentication: return "Tentativa de re-autenticação suportada pelo RASPHONE.EXE."_a;
    case RASCS_CallbackSetByCaller: return "Estado de retorno suportado pelo RASPHONE.EXE.";
    case RASCS_PasswordExpired: return "Alteração de senha suportada pelo RASPHONE.EXE."_a;
    case RASCS_Connected: return "Conexão efetuada com êxito."_a;
    case RASCS_Disconnected: return "Desconectado";
    }
    return "Ocorreu um erro não documentado."_a;
}
