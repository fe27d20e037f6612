#include "DialScript.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace {
struct Bad : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const struct {
    const char* name;
    RASCONNSTATE value;
} kStateNames[] = {
    {"OpenPort", RASCS_OpenPort},
    {"PortOpened", RASCS_PortOpened},
    {"ConnectDevice", RASCS_ConnectDevice},
    {"DeviceConnected", RASCS_DeviceConnected},
    {"AllDevicesConnected", RASCS_AllDevicesConnected},
    {"Authenticate", RASCS_Authenticate},
    {"AuthNotify", RASCS_AuthNotify},
    {"AuthRetry", RASCS_AuthRetry},
    {"AuthCallback", RASCS_AuthCallback},
    {"AuthChangePassword", RASCS_AuthChangePassword},
    {"AuthProject", RASCS_AuthProject},
    {"AuthLinkSpeed", RASCS_AuthLinkSpeed},
    {"AuthAck", RASCS_AuthAck},
    {"ReAuthenticate", RASCS_ReAuthenticate},
    {"Authenticated", RASCS_Authenticated},
    {"PrepareForCallback", RASCS_PrepareForCallback},
    {"WaitForModemReset", RASCS_WaitForModemReset},
    {"WaitForCallback", RASCS_WaitForCallback},
    {"Projected", RASCS_Projected},
    {"StartAuthentication", RASCS_StartAuthentication},
    {"CallbackComplete", RASCS_CallbackComplete},
    {"LogonNetwork", RASCS_LogonNetwork},
    {"SubEntryConnected", RASCS_SubEntryConnected},
    {"SubEntryDisconnected", RASCS_SubEntryDisconnected},
    {"Interactive", RASCS_Interactive},
    {"RetryAuthentication", RASCS_RetryAuthentication},
    {"CallbackSetByCaller", RASCS_CallbackSetByCaller},
    {"PasswordExpired", RASCS_PasswordExpired},
    {"Connected", RASCS_Connected},
    {"Disconnected", RASCS_Disconnected},
};

// Blank-separated words; "..." keeps blanks inside one word.
std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string w;
        if (line[i] == '"') {
            auto end = line.find('"', i + 1);
            if (end == std::string::npos) throw Bad("a quote is not closed");
            w = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') w += line[i++];
        }
        out.push_back(w);
    }
    return out;
}

uint32_t number(const std::string& w, const char* what) {
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(w.c_str(), &end, 0);
    if (w.empty() || w[0] == '-' || *end || errno || v > 0xFFFFFFFFull)
        throw Bad(std::string("bad ") + what + " \"" + w + "\"");
    return static_cast<uint32_t>(v);
}

// Milliseconds: "2500", "2500ms", "3s", "1.5s".
int64_t duration(const std::string& w) {
    std::string num = w;
    double scale = 1;
    if (num.size() > 2 && num.compare(num.size() - 2, 2, "ms") == 0) num.resize(num.size() - 2);
    else if (num.size() > 1 && num.back() == 's') {
        num.pop_back();
        scale = 1000;
    }
    char* end = nullptr;
    double v = std::strtod(num.c_str(), &end);
    if (num.empty() || *end || !(v >= 0) || v > 1e12) throw Bad("bad time \"" + w + "\"");
    return static_cast<int64_t>(std::llround(v * scale));
}

RASCONNSTATE state(const std::string& w) {
    std::string name = w.rfind("RASCS_", 0) == 0 ? w.substr(6) : w;
    for (auto& s : kStateNames)
        if (name == s.name) return s.value;
    if (!w.empty() && w[0] >= '0' && w[0] <= '9') return static_cast<RASCONNSTATE>(number(w, "state"));
    throw Bad("unknown state \"" + w + "\"");
}

std::vector<RASCONNSTATE> stateList(const std::string& w) {
    std::vector<RASCONNSTATE> out;
    if (w == "none") return out;
    std::istringstream in(w);
    std::string item;
    while (std::getline(in, item, ',')) out.push_back(state(item));
    return out;
}

class Args {
public:
    Args(std::vector<std::string> w, std::size_t from) : w_(std::move(w)), i_(from) {}
    bool more() const { return i_ < w_.size(); }
    std::string next(const char* what) {
        if (i_ >= w_.size()) throw Bad(std::string("missing ") + what);
        return w_[i_++];
    }
    bool peek(const char* word) const { return i_ < w_.size() && w_[i_] == word; }

private:
    std::vector<std::string> w_;
    std::size_t i_;
};

void parseDial(Args& a, DialScript& s, int lineNo) {
    DialRule r;
    r.line = lineNo;
    std::string kind = a.next("outcome");
    bool statesGiven = false;
    if (kind == "connect") r.kind = DialRule::Connect;
    else if (kind == "fail") {
        r.kind = DialRule::Fail;
        r.error = number(a.next("error"), "error");
    } else if (kind == "hang") r.kind = DialRule::Hang;
    else if (kind == "refuse") {
        r.kind = DialRule::Refuse;
        r.error = number(a.next("error"), "error");
    } else throw Bad("unknown outcome \"" + kind + "\"");
    while (a.more()) {
        std::string opt = a.next("option");
        if (opt == "after") r.after = duration(a.next("time"));
        else if (opt == "states") {
            r.states = stateList(a.next("states"));
            statesGiven = true;
        } else if (opt == "times") r.times = number(a.next("count"), "count");
        else if (opt == "speed" && r.kind == DialRule::Connect) r.speed = number(a.next("speed"), "speed");
        else if (opt == "drop" && r.kind == DialRule::Connect) {
            r.drop = duration(a.next("time"));
            if (a.peek("gone")) a.next("");
            else if (a.peek("disconnected")) {
                a.next("");
                r.dropShown = true;
                if (a.peek("error")) {
                    a.next("");
                    r.dropError = number(a.next("error"), "error");
                }
            }
        } else if (opt == "at" && r.kind == DialRule::Fail) r.failState = state(a.next("state"));
        else if (opt == "ext" && r.kind == DialRule::Fail) r.extendedError = number(a.next("error"), "error");
        else if (opt == "handle" && r.kind == DialRule::Refuse) r.refuseWithHandle = true;
        else if (opt == "status" && r.kind != DialRule::Refuse) r.statusError = number(a.next("error"), "error");
        else throw Bad("unknown option \"" + opt + "\" for " + kind);
    }
    if (r.kind == DialRule::Refuse && r.error == 0) throw Bad("a refused dial needs an error");
    if (r.kind == DialRule::Fail && r.error == 0) throw Bad("a failed dial needs an error");
    if (r.times > 1000) throw Bad("too many times");
    if (r.times == 0) return;
    if (!statesGiven) {
        std::vector<RASCONNSTATE> usual = UsualStates();
        if (r.kind == DialRule::Fail) {
            // The usual states that come before the failing one.
            for (auto st : usual) {
                if (st == r.failState) break;
                r.states.push_back(st);
            }
            if (r.states.size() == usual.size()) r.states.clear();
        } else if (r.kind != DialRule::Refuse) {
            r.states = usual;
        }
    }
    s.dials.push_back(std::move(r));
}

void parseOutside(Args& a, DialScript& s) {
    OutsideConnection c;
    c.entry = Utf8ToAnsi(a.next("entry name"));
    while (a.more()) {
        std::string opt = a.next("option");
        if (opt == "at") c.at = duration(a.next("time"));
        else if (opt == "until") c.until = duration(a.next("time"));
        else if (opt == "speed") c.speed = number(a.next("speed"), "speed");
        else if (opt == "state") c.state = state(a.next("state"));
        else if (opt == "device") {
            c.deviceType = Utf8ToAnsi(a.next("device type"));
            c.deviceName = Utf8ToAnsi(a.next("device name"));
        } else throw Bad("unknown option \"" + opt + "\" for outside");
    }
    if (c.until >= 0 && c.until <= c.at) throw Bad("an outside connection must end after it starts");
    s.outside.push_back(c);
}

// The text after the code, as written (one blank after the code is the separator).
std::string restAfter(const std::string& line, std::size_t wordsToSkip) {
    std::size_t i = 0;
    for (std::size_t k = 0; k < wordsToSkip; ++k) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    }
    if (i < line.size()) ++i;
    return line.substr(std::min(i, line.size()));
}

void parseLine(const std::string& line, int lineNo, DialScript& s) {
    std::vector<std::string> w = words(line);
    if (w.empty()) return;
    const std::string& key = w[0];
    if (key == "text") {
        if (w.size() < 2) throw Bad("missing error");
        s.texts[number(w[1], "error")] = Utf8ToAnsi(restAfter(line, 2));
        return;
    }
    Args a(w, 1);
    if (key == "dial") return parseDial(a, s, lineNo);
    if (key == "outside") return parseOutside(a, s);
    auto noMore = [&] {
        if (a.more()) throw Bad("too many words");
    };
    if (key == "hangup") {
        int64_t ms = duration(a.next("time"));
        noMore();
        s.hangUpMs = ms;
    } else if (key == "late") {
        DWORD error = number(a.next("error"), "error");
        int64_t after = 0;
        if (a.peek("after")) {
            a.next("");
            after = duration(a.next("time"));
        }
        noMore();
        s.late = true;
        s.lateError = error;
        s.lateAfter = after;
    } else if (key == "notext") {
        DWORD error = number(a.next("error"), "error");
        noMore();
        s.noTexts.push_back(error);
    } else if (key == "edit") {
        DWORD result = number(a.next("result"), "result");
        noMore();
        s.editGiven = true;
        s.editResult = result;
    } else {
        throw Bad("unknown line \"" + key + "\"");
    }
}
}  // namespace

std::vector<RASCONNSTATE> UsualStates() {
    return {RASCS_OpenPort,        RASCS_PortOpened,          RASCS_ConnectDevice,
            RASCS_DeviceConnected, RASCS_AllDevicesConnected, RASCS_Authenticate,
            RASCS_AuthNotify,      RASCS_Authenticated,       RASCS_Projected};
}

DialRule DialScript::RuleFor(unsigned index) const {
    if (dials.empty()) {
        DialRule r;
        r.states = UsualStates();
        return r;
    }
    for (const DialRule& r : dials) {
        if (index < r.times) return r;
        index -= r.times;
    }
    return dials.back();
}

DialScript ParseDialScript(const std::string& text) {
    DialScript s;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        try {
            parseLine(line.substr(first), lineNo, s);
        } catch (const Bad& e) {
            s.errors.push_back("line " + std::to_string(lineNo) + ": " + e.what());
        }
    }
    return s;
}
