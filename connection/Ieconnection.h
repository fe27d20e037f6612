#pragma once
// Two pieces of the system's configuration changed for the dialer:
// - the default Internet connection that the system's autodial uses: through the dial-up
//   service's AutoDial address table where the service has it (Windows 2000/XP), otherwise
//   through the registry values of the older systems;
// - whether the chosen modem waits for the dial tone: the blind-dial bit of its "Default"
//   settings block and "ATX3" in its "UserInit" command, in the modem device class.
// Registry errors other than the machine-wide DefaultInternet's reach the caller. Used from
// the UI thread only.
#include "platform/AnsiString.h"
#include "platform/RasApi.h"
#include "settings/Services.h"

#include <memory>
#include <vector>

class TRegistry;

class TIEConnection {
public:
    // The dial-up service's AutoDial entry points as the engine bound them; null where the
    // service lacks them. The forms of EnableAutodial and NoNetAutodial are taken now. The
    // modem half asks the settings for the chosen modem; the default half uses no service.
    TIEConnection(const TServices& services, PFN_RasGetAutodialAddressA getAutodialAddress,
                  PFN_RasSetAutodialAddressA setAutodialAddress);
    ~TIEConnection();
    TIEConnection(const TIEConnection&) = delete;
    TIEConnection& operator=(const TIEConnection&) = delete;

    bool IsDefault(const AnsiString& entryName);
    void SetDefault(const AnsiString& entryName);
    // True when the chosen modem waits for the dial tone.
    bool GetWaitDialTone();
    // False switches the modem to blind dialling.
    void SetWaitDialTone(bool wait);

private:
    struct ValueForm {
        long type = -1;  // REG_*; -1 when the key or the value is missing
        int size = 0;
    };

    bool IsDefaultByRas(const AnsiString& entryName);
    bool IsDefaultByRegistry(const AnsiString& entryName);
    void SetDefaultByRas(const AnsiString& entryName);
    void SetDefaultByRegistry(const AnsiString& entryName);

    AnsiString GetModemClassKey();
    void FindModem();
    std::vector<AnsiString> ModemSubkeys();  // of the class key; none when it does not open
    bool WaitsForDialTone(const AnsiString& modemKey);

    // Each opens the key, does one thing and closes it. Reads never create a key, writes do
    // and raise when they cannot.
    ValueForm GetValueType(TRegistry& reg, const AnsiString& key, const AnsiString& name);
    AnsiString ReadText(TRegistry& reg, const AnsiString& key, const AnsiString& name);
    int ReadNumber(TRegistry& reg, const AnsiString& key, const AnsiString& name);
    int ReadFirstByte(TRegistry& reg, const AnsiString& key, const AnsiString& name);
    int ReadBlock(TRegistry& reg, const AnsiString& key, const AnsiString& name);
    void WriteText(TRegistry& reg, const AnsiString& key, const AnsiString& name, const AnsiString& text);
    void WriteNumber(TRegistry& reg, const AnsiString& key, const AnsiString& name, int number);
    void WriteBlock(TRegistry& reg, const AnsiString& key, const AnsiString& name, int size);
    void WriteFlagBlock(TRegistry& reg, const AnsiString& key, const AnsiString& name, int number);

    unsigned char modemOptions_[256] = {};
    AnsiString lastProfile_;
    int lastAutodial_ = 0;
    AnsiString modemSubkey_;
    AnsiString modemClassKey_;
    bool autodialIsBinary_ = true;
    bool noNetIsBinary_ = true;
    int lastNoNet_ = 0;
    std::unique_ptr<TRegistry> user_;
    std::unique_ptr<TRegistry> machine_;
    TServices services_;
    PFN_RasGetAutodialAddressA getAutodialAddress_ = nullptr;
    PFN_RasSetAutodialAddressA setAutodialAddress_ = nullptr;
};

extern TIEConnection* IEConnection;
