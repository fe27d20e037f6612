#pragma once
// The connections of the simulated dial-up service: the dials this process made, driven by
// the dial script on the service's own thread, and the outside connections the script
// says other programs made. The exports check their arguments and call in here.
#include "CallLog.h"
#include "DialScript.h"
#include "ServiceThread.h"

#include "platform/RasApi.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

// A connection as RasEnumConnectionsA and RasGetConnectStatusA show it.
struct ConnectionView {
    HRASCONN handle = 0;
    AnsiString entry, deviceType, deviceName;
    RASCONNSTATE state = RASCS_OpenPort;
    DWORD error = 0;
    DWORD statusError = 0;     // a dial whose status query fails: the query's result
    DWORD speed = 0;           // bits per second while connected, else 0
    int64_t connectedAt = -1;  // clock reading when it connected; -1 while not connected
    int64_t began = 0;
};

struct DialRequest {
    AnsiString entry, deviceType, deviceName;
    RasDialFunc1 notifier = nullptr;
};

class DialService {
public:
    DialService();

    // Starts a dial by the next rule of the script. Logs `record` with the result and the
    // handle before any notification of the dial can be delivered.
    DWORD Dial(const DialRequest& request, HRASCONN& handle, CallRecord& record);
    DWORD HangUp(HRASCONN handle, CallRecord& record);
    // False when no such connection exists (any more).
    bool Find(HRASCONN handle, ConnectionView& view);
    // Every connection, in the order the connections began.
    std::vector<ConnectionView> Connections();
    // The speed of the first connected connection; 0 when none.
    DWORD LineSpeed();
    // The script as the machine file holds it now, parsed once per change of the file; lines
    // that it skipped are logged once.
    std::shared_ptr<const DialScript> Script();
    int64_t Now() { return thread_.Now(); }
    void Reset();
    void WaitIdle() { thread_.WaitIdle(); }
    unsigned Dials();
    // Rewrites the machine file "line-speed.txt" when the speed changed.
    void PublishLineSpeed();

private:
    struct Dialled {
        ConnectionView view;
        RasDialFunc1 notifier = nullptr;
        bool ended = false;  // connected or failed: no progress notifications follow
        bool hangingUp = false;
    };
    enum : HRASCONN { kOutsideBase = 0x100, kDialBase = 0x10000 };

    std::shared_ptr<const DialScript> scriptLocked();
    std::vector<ConnectionView> connectionsLocked(const DialScript& script, int64_t now);
    bool outsideVisible(const DialScript& script, std::size_t index, int64_t now) const;
    void schedule(HRASCONN handle, const DialRule& rule, int64_t start);
    void notify(HRASCONN handle, RASCONNSTATE state, DWORD error, DWORD extendedError, DWORD speed, int64_t drop,
                bool dropShown, DWORD dropError);
    void deliver(RasDialFunc1 notifier, HRASCONN handle, RASCONNSTATE state, DWORD error, DWORD extendedError);
    void dropLine(HRASCONN handle, bool shown, DWORD error);
    void vanish(HRASCONN handle);

    std::mutex mutex_;
    std::map<HRASCONN, Dialled> dialled_;
    std::map<std::size_t, int64_t> outsideHungUp_;  // outside connection index -> hang-up time
    unsigned dials_ = 0;
    HRASCONN next_ = kDialBase;
    int64_t epoch_ = 0;
    std::string scriptText_;
    bool scriptRead_ = false;
    std::shared_ptr<const DialScript> script_;

    std::mutex speedMutex_;
    int64_t speedWritten_ = -1;

    ServiceThread thread_;  // last: stopped first, while the rest still exists
};

DialService& TheDialService();
