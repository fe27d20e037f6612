#pragma once
// The service objects of one run, as each service and the engine are handed them when they
// are made: the status log, the access-phone list, the settings, the mail check, the
// failed-dial log and the connection report, and the edition they serve (settings/Edition.h).
// The program start fills the record from the objects it has made so far (each one is made
// after those it uses); tests fill their own.
//
// A service keeps references to what it uses, taken through the accessors below when it is
// made: a record without one of them fails that construction at once (std::logic_error),
// so no service checks for a missing one later. The edition is the exception: a record
// without one stands for Mirvane's.
class TChecaMail;
class TConf;
class TErros;
class TLogCon;
class TEdition;
class TLogger;
class TXMLvyn;

struct TServices {
    TLogger* log = nullptr;
    TXMLvyn* phones = nullptr;
    TConf* conf = nullptr;
    TChecaMail* mail = nullptr;
    TErros* errors = nullptr;
    TLogCon* report = nullptr;
    const TEdition* edition = nullptr;

    TLogger& Log() const;
    TXMLvyn& Phones() const;
    TConf& Settings() const;
    TChecaMail& Mail() const;
    TErros& Errors() const;
    TLogCon& Report() const;
    const TEdition& Edition() const;
};
