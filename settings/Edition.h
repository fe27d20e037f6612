#pragma once
// What sets the two editions apart, in one description that each program's start chooses
// (`ProgramEdition`) and that travels to the services and the engine with their record:
//
// - the settings: which ini file every settings operation opens, and when the program counts
//   as configured once it is loaded;
// - the phone list: whether a selection that finds nothing is logged;
// - the dial plan: the number a new phonebook entry holds, the number each dial and redial
//   takes, the long-distance prefix before it, what the connection report puts before it,
//   and the page opened once connected.
//
// This class is Mirvane's: the Corvala line's single access number "0", no prefix, the
// telecom company's home page. The conventional-line edition derives its own
// (editions/conventional/). An edition holds no state of its own: the dial plan's position
// lives in the phone list. Its operations run where their callers run (the dial plan on the
// UI thread, except the page, which the connected sequence asks for on its own thread).
#include "Services.h"

#include "platform/AnsiString.h"

class TEdition {
public:
    virtual ~TEdition() = default;

    // --- settings ----------------------------------------------------------------------
    // The settings file, from the program's own ini path (its path with ".ini").
    virtual AnsiString SettingsFile(const AnsiString& ownIniFile) const;
    // The result of loading the settings: `state` as read, whether a modem was stored, and
    // how many are installed.
    virtual bool Configured(const AnsiString& state, bool modemStored, int modemCount) const;

    // --- phone list ------------------------------------------------------------------------
    virtual bool LogsFailedSelection() const { return false; }

    // --- dial plan -------------------------------------------------------------------------
    // Every number below is the access number alone, without prefixes. "" means there is
    // nothing to dial: the plan has said why in the status log.
    //
    // The number a new phonebook entry holds.
    virtual AnsiString EntryNumber() const;
    // The number a dial the user starts takes.
    virtual AnsiString DialNumber(const TServices& services) const;
    // The number the entry holds while the engine waits to redial after a time-out or a
    // dropped line.
    virtual AnsiString WaitingNumber(const TServices& services) const;
    // The number dialled when the wait before a redial ends.
    virtual AnsiString RedialNumber(const TServices& services) const;
    // Digits between the line prefixes (pulse, outside line, call waiting) and the number.
    virtual AnsiString LongDistancePrefix(const TServices& services) const;
    // What the connection report puts before the number dialled.
    virtual AnsiString ReportPrefix(const TServices& services) const;
    // The page opened after a connection whose update check installed nothing.
    virtual AnsiString PageAfterConnect(const AnsiString& login) const;
};

// Mirvane's edition.
const TEdition& MirvaneEdition();

// The edition the program's start chose; Mirvane's until one is chosen. The main window
// hands it on in the services record.
extern const TEdition* ProgramEdition;
