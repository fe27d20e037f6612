#pragma once
// The dial script of the simulated dial-up service: the machine file "dial-script.txt",
// which says how each dial goes, which connections other programs make, how long a hang-up
// takes and what the error texts are. docs/SIMULATED-MACHINE.md describes the format.
#include "platform/AnsiString.h"
#include "platform/RasApi.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct DialRule {
    enum Kind { Connect, Fail, Hang, Refuse };
    Kind kind = Connect;
    int64_t after = 3000;              // ms from RasDialA to the last notification
    std::vector<RASCONNSTATE> states;  // delivered in order before the last notification
    DWORD speed = 52000;               // bits per second, once connected
    DWORD error = 0;                   // Fail: the error notified; Refuse: RasDialA's result
    RASCONNSTATE failState = RASCS_ConnectDevice;
    DWORD extendedError = 0;
    int64_t drop = -1;       // Connect: ms after connecting the line drops; -1 never
    bool dropShown = false;  // the dropped connection stays, RASCS_Disconnected
    DWORD dropError = ERROR_PORT_DISCONNECTED;
    bool refuseWithHandle = false;  // Refuse: a handle is written all the same
    DWORD statusError = 0;          // what RasGetConnectStatusA answers for it; 0 its state
    int line = 0;                   // where the rule was written; 0 for the default
    unsigned times = 1;             // how many dials in a row it decides
};

struct OutsideConnection {
    AnsiString entry;
    int64_t at = 0;      // ms after the service started
    int64_t until = -1;  // -1: stays
    DWORD speed = 52000;
    RASCONNSTATE state = RASCS_Connected;
    AnsiString deviceType = "modem";
    AnsiString deviceName;
};

struct DialScript {
    // In order, one per line: a rule with "times N" decides N dials in a row, so the
    // script takes room by its length, whatever it repeats.
    std::vector<DialRule> dials;
    int64_t hangUpMs = 0;  // how long a handle stays valid after RasHangUpA
    bool late = false;     // a dial hung up before it ended gets one more notification
    DWORD lateError = 0;
    int64_t lateAfter = 0;
    std::map<DWORD, AnsiString> texts;  // error texts given by the script (1252)
    std::vector<DWORD> noTexts;         // codes the script makes unknown
    bool editGiven = false;
    DWORD editResult = 0;
    std::vector<OutsideConnection> outside;
    std::vector<std::string> errors;  // "line N: why", for lines that were skipped

    // The rule of the dial with this index (from 0): the last rule repeats; with no rule,
    // a connection after 3 s with the usual states.
    DialRule RuleFor(unsigned index) const;
};

// The states of an ordinary connection, from opening the port to the projection.
std::vector<RASCONNSTATE> UsualStates();

DialScript ParseDialScript(const std::string& utf8Text);
