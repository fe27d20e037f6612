#pragma once
// The settings of one user on one machine: access region, the login of the current dial,
// the dialing options, the mail server, the remembered logins, the installed modems and the
// chosen modem. Kept in the ini file beside the program ("Mirvane.ini" for "Mirvane.exe"),
// or the one the edition names, and, for the modems, asked of the dial-up service.
//
// Used from the UI thread and from the connected sequence's thread: every operation and
// every read takes the object's lock. Reads return copies.
#include "Edition.h"
#include "RasLibrary.h"
#include "Services.h"

#include "platform/AnsiString.h"
#include "platform/Classes.h"
#include "platform/RasApi.h"

#include <mutex>
#include <vector>

class TConf {
public:
    // Binds the dial-up service and lists the modems. Without the service or without a
    // modem it shows its message and asks the application to end; the object still works
    // (defaults, empty lists) for the rest of the start-up and its destruction. Uses the
    // status log and the edition.
    explicit TConf(const TServices& services);
    ~TConf();
    TConf(const TConf&) = delete;
    TConf& operator=(const TConf&) = delete;

    // Reads the ini file; true when configured, by the edition's rule (Mirvane: a modem is
    // stored, or exactly one exists). No stored modem: the first installed one is chosen.
    bool Load();
    // Writes the eight dialing keys of section Principal as one replacement of the file; a
    // refused write (nothing written then) reaches the caller.
    void Save();
    void SetUser(const AnsiString& login);
    void SetPassword(const AnsiString& password);
    void SetDialing(int areaCode, int carrier, int outsideLine, bool tone, const AnsiString& callWaiting);
    void SetModem(const AnsiString& deviceName);
    void GetModems(TStrings& list) const;
    // Adds the current login to the remembered ones and rewrites section Usuarios, with the
    // logins another process stored meanwhile, as one replacement of the file. Runs in the
    // connected sequence: a refused write is reported as a status line, never raised.
    void RememberUser();
    // Sets the automatic mail check and writes it at once; a refused write reaches the caller.
    void SetAutoCheckMail(bool on);
    bool EnumModems();

    // The destination: a state code of the phone list and one of its cities.
    void SetDestination(const AnsiString& state, const AnsiString& city);

    // One read accessor per setting, each the field's current value.
    AnsiString GetEstado() const;
    AnsiString GetCidade() const;
    AnsiString GetUser() const;
    AnsiString GetPassword() const;
    AnsiString GetChamada() const;  // the call-waiting code
    AnsiString GetMailServer() const;
    AnsiString GetModem() const;
    int GetDDD() const;           // own area code; 0: not given
    int GetOperadora() const;     // carrier code; 0: none
    int GetLinhaExterna() const;  // outside-line digit; -1: none
    bool GetDiscagemPorTom() const;
    bool GetAutoCheckMail() const;
    // The remembered logins in locale order: a copy, since the connected sequence may add
    // one meanwhile.
    std::vector<AnsiString> GetUsers() const;
    std::vector<AnsiString> Modems() const;  // in the service's order
    AnsiString IniFileName() const { return iniFileName_; }

private:
    bool enumModems();  // caller holds mutex_

    mutable std::mutex mutex_;
    AnsiString state_;
    AnsiString city_;
    AnsiString login_;
    AnsiString password_;
    AnsiString callWaiting_;
    int areaCode_ = 0;
    int carrier_ = 0;
    int outsideLine_ = -1;
    bool tone_ = true;
    AnsiString mailServer_;
    TStringList logins_;
    TStringList modems_;
    AnsiString modem_;
    bool autoCheckMail_ = true;
    TLogger& log_;
    const TEdition& edition_;
    TRasLibrary ras_;
    PFN_RasEnumDevicesA rasEnumDevices_ = nullptr;
    AnsiString iniFileName_;
};

extern TConf* Conf;
