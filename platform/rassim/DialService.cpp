#include "DialService.h"

#include "PerfStats.h"

#include "platform/LockedFile.h"
#include "platform/Machine.h"
#include "platform/registry/RegistryStore.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {
std::string readScriptFile() {
    std::ifstream in(MachineFile("dial-script.txt"), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
}  // namespace

DialService& TheDialService() {
    // The registry's store goes with the library, after the service and its thread.
    static struct RegistryRelease {
        ~RegistryRelease() { ReleaseRegistryStore(); }
    } release;
    // Made once the program has handed its clock over (or at the first call without it).
    static DialService service;
    return service;
}

DialService::DialService() {
    // The log is made first so that it is destroyed last, after the thread that writes to
    // it has stopped (statics end in the reverse order of their making).
    TheCallLog();
    epoch_ = thread_.Now();
}

std::shared_ptr<const DialScript> DialService::Script() {
    std::lock_guard lock(mutex_);
    return scriptLocked();
}

std::shared_ptr<const DialScript> DialService::scriptLocked() {
    std::string text = readScriptFile();
    if (!scriptRead_ || text != scriptText_) {
        scriptRead_ = true;
        scriptText_ = std::move(text);
        script_ = std::make_shared<const DialScript>(ParseDialScript(scriptText_));
        for (auto& e : script_->errors) CallRecord("dial-script").Str("skipped", e).Done(ERROR_INVALID_PARAMETER);
    }
    return script_;
}

unsigned DialService::Dials() {
    std::lock_guard lock(mutex_);
    return dials_;
}

bool DialService::outsideVisible(const DialScript& script, std::size_t index, int64_t now) const {
    const OutsideConnection& o = script.outside[index];
    if (now < epoch_ + o.at) return false;
    if (o.until >= 0 && now >= epoch_ + o.until) return false;
    auto hung = outsideHungUp_.find(index);
    return hung == outsideHungUp_.end() || now < hung->second + script.hangUpMs;
}

std::vector<ConnectionView> DialService::connectionsLocked(const DialScript& script, int64_t now) {
    std::vector<ConnectionView> out;
    for (std::size_t i = 0; i < script.outside.size(); ++i) {
        if (!outsideVisible(script, i, now)) continue;
        const OutsideConnection& o = script.outside[i];
        ConnectionView v;
        v.handle = static_cast<HRASCONN>(kOutsideBase + i);
        v.entry = o.entry;
        v.deviceType = o.deviceType;
        v.deviceName = o.deviceName;
        v.state = o.state;
        v.began = epoch_ + o.at;
        if (o.state == RASCS_Connected) {
            v.speed = o.speed;
            v.connectedAt = v.began;
        }
        out.push_back(v);
    }
    for (auto& [h, d] : dialled_) out.push_back(d.view);
    std::stable_sort(out.begin(), out.end(), [](const ConnectionView& a, const ConnectionView& b) {
        return a.began != b.began ? a.began < b.began : a.handle < b.handle;
    });
    return out;
}

std::vector<ConnectionView> DialService::Connections() {
    std::lock_guard lock(mutex_);
    return connectionsLocked(*scriptLocked(), thread_.Now());
}

bool DialService::Find(HRASCONN handle, ConnectionView& view) {
    for (auto& c : Connections())
        if (c.handle == handle) {
            view = c;
            return true;
        }
    return false;
}

DWORD DialService::LineSpeed() {
    for (auto& c : Connections())
        if (c.state == RASCS_Connected) return c.speed;
    return 0;
}

void DialService::PublishLineSpeed() {
    std::lock_guard lock(speedMutex_);
    DWORD speed = LineSpeed();
    if (speedWritten_ == static_cast<int64_t>(speed)) return;
    // What is there already (a missing file reads as 0) needs no flushed rewrite.
    bool same = speedWritten_ < 0 &&
                std::strtoul(ReadLockedFile(MachineFile("line-speed.txt")).c_str(), nullptr, 10) == speed;
    speedWritten_ = speed;
    if (!same)
        UpdateLockedFile(MachineFile("line-speed.txt"), [&](std::string& text) {
            text = std::to_string(speed) + "\n";
            return true;
        });
    PublishPerfStatsSpeed(speed);
}

DWORD DialService::Dial(const DialRequest& request, HRASCONN& handle, CallRecord& record) {
    std::lock_guard lock(mutex_);
    std::shared_ptr<const DialScript> held = scriptLocked();
    const DialScript& script = *held;
    int64_t now = thread_.Now();
    // One modem carries one call: a connection that still holds the device refuses the dial.
    for (auto& c : connectionsLocked(script, now))
        if (c.deviceType == request.deviceType && c.deviceName == request.deviceName)
            return record.Num("busyWith", c.handle).Done(ERROR_PORT_NOT_AVAILABLE);
    DialRule rule = script.RuleFor(dials_++);
    record.Num("dial", dials_).Num("scriptLine", static_cast<uint64_t>(rule.line));
    if (rule.kind == DialRule::Refuse && !rule.refuseWithHandle) return record.Done(rule.error);

    Dialled d;
    d.view.handle = next_++;
    d.view.entry = request.entry;
    d.view.deviceType = request.deviceType;
    d.view.deviceName = request.deviceName;
    d.view.began = now;
    d.view.statusError = rule.statusError;
    d.notifier = request.notifier;
    if (rule.kind == DialRule::Refuse) {
        d.view.error = rule.error;
        d.ended = true;
    } else if (!rule.states.empty()) {
        d.view.state = rule.states.front();
    }
    handle = d.view.handle;
    dialled_[handle] = d;
    record.Num("hrasconn", handle);
    if (rule.kind == DialRule::Refuse) return record.Done(rule.error);
    DWORD rc = record.Done(ERROR_SUCCESS);
    schedule(handle, rule, now);
    return rc;
}

void DialService::schedule(HRASCONN h, const DialRule& rule, int64_t start) {
    std::size_t n = rule.states.size();
    for (std::size_t k = 0; k < n; ++k) {
        RASCONNSTATE st = rule.states[k];
        thread_.At(start + rule.after * static_cast<int64_t>(k) / static_cast<int64_t>(n),
                   [this, h, st] { notify(h, st, 0, 0, 0, -1, false, 0); });
    }
    if (rule.kind == DialRule::Connect) {
        thread_.At(start + rule.after, [this, h, rule] {
            notify(h, RASCS_Connected, 0, 0, rule.speed, rule.drop, rule.dropShown, rule.dropError);
        });
    } else if (rule.kind == DialRule::Fail) {
        thread_.At(start + rule.after,
                   [this, h, rule] { notify(h, rule.failState, rule.error, rule.extendedError, 0, -1, false, 0); });
    }
}

void DialService::notify(HRASCONN h, RASCONNSTATE state, DWORD error, DWORD extendedError, DWORD speed, int64_t drop,
                         bool dropShown, DWORD dropError) {
    RasDialFunc1 notifier;
    {
        std::lock_guard lock(mutex_);
        auto it = dialled_.find(h);
        if (it == dialled_.end() || it->second.ended || it->second.hangingUp) return;
        Dialled& d = it->second;
        d.view.state = state;
        d.view.error = error;
        if (error) d.ended = true;
        if (state == RASCS_Connected && !error) {
            d.ended = true;
            d.view.speed = speed;
            d.view.connectedAt = thread_.Now();
            if (drop >= 0)
                thread_.At(d.view.connectedAt + drop,
                           [this, h, dropShown, dropError] { dropLine(h, dropShown, dropError); });
        }
        notifier = d.notifier;
    }
    PublishLineSpeed();
    deliver(notifier, h, state, error, extendedError);
}

void DialService::deliver(RasDialFunc1 notifier, HRASCONN h, RASCONNSTATE state, DWORD error, DWORD extendedError) {
    CallRecord("RasDialFunc1")
        .Num("hrasconn", h)
        .Num("unMsg", WM_RASDIALEVENT)
        .Num("rascs", static_cast<uint64_t>(state))
        .Num("dwError", error)
        .Num("dwExtendedError", extendedError)
        .Done(0);
    if (notifier) notifier(h, WM_RASDIALEVENT, state, error, extendedError);
}

void DialService::dropLine(HRASCONN h, bool shown, DWORD error) {
    {
        std::lock_guard lock(mutex_);
        auto it = dialled_.find(h);
        if (it == dialled_.end() || it->second.hangingUp) return;
        if (shown) {
            it->second.view.state = RASCS_Disconnected;
            it->second.view.error = error;
            it->second.view.speed = 0;
            it->second.view.connectedAt = -1;
        } else {
            dialled_.erase(it);
        }
    }
    CallRecord("line dropped").Num("hrasconn", h).Str("shown", shown ? "disconnected" : "gone").Done(error);
    PublishLineSpeed();
}

void DialService::vanish(HRASCONN h) {
    {
        std::lock_guard lock(mutex_);
        if (!dialled_.erase(h)) return;
    }
    CallRecord("hang-up ended").Num("hrasconn", h).Done(0);
    PublishLineSpeed();
}

DWORD DialService::HangUp(HRASCONN h, CallRecord& record) {
    std::lock_guard lock(mutex_);
    std::shared_ptr<const DialScript> held = scriptLocked();
    const DialScript& script = *held;
    int64_t now = thread_.Now();
    if (h >= kOutsideBase && h < kOutsideBase + script.outside.size()) {
        std::size_t index = h - kOutsideBase;
        if (!outsideVisible(script, index, now)) return record.Done(ERROR_INVALID_HANDLE);
        outsideHungUp_.emplace(index, now);
        return record.Done(ERROR_SUCCESS);
    }
    auto it = dialled_.find(h);
    if (it == dialled_.end()) return record.Done(ERROR_INVALID_HANDLE);
    Dialled& d = it->second;
    if (d.hangingUp) return record.Done(ERROR_SUCCESS);
    d.hangingUp = true;
    bool inProgress = !d.ended;
    RasDialFunc1 notifier = d.notifier;
    RASCONNSTATE state = d.view.state;
    if (script.hangUpMs == 0) dialled_.erase(it);
    DWORD rc = record.Done(ERROR_SUCCESS);
    if (script.hangUpMs > 0) thread_.At(now + script.hangUpMs, [this, h] { vanish(h); });
    if (inProgress && script.late) {
        DWORD error = script.lateError;
        thread_.At(now + script.lateAfter,
                   [this, notifier, h, state, error] { deliver(notifier, h, state, error, 0); });
    }
    return rc;
}

void DialService::Reset() {
    thread_.Clear();
    {
        std::lock_guard lock(mutex_);
        dialled_.clear();
        outsideHungUp_.clear();
        dials_ = 0;
        next_ = kDialBase;
        epoch_ = thread_.Now();
        scriptRead_ = false;
        scriptText_.clear();
    }
    TheCallLog().Clear();
    std::lock_guard lock(speedMutex_);
    speedWritten_ = -1;
}
