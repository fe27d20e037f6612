#include "support/engine/EngineFixture.h"

#include "platform/Application.h"
#include "platform/UiThread.h"
#include "support/UiPump.h"

#include <algorithm>
#include <climits>
#include <sstream>

std::ostream& operator<<(std::ostream& os, const Line& l) {
    return os << l.ms << " \"" << AnsiToUtf8(l.text) << "\"";
}

void RecordingWindow::record(const AnsiString& what) {
    // The window is only ever touched on the UI thread.
    record_((IsUiThread() ? "window: " : "window (not on the UI thread): ") + what);
}

void RecordingWindow::Repaint() {
    if (onRepaint) onRepaint();
    record("repaint");
}
void RecordingWindow::SetPanel(int state) { record("panel " + std::to_string(state)); }
void RecordingWindow::SetTrayHint(const AnsiString& hint) { record("hint " + hint); }
bool RecordingWindow::ConfirmLongDistance() {
    record("long distance?");
    return confirmLongDistance;
}
void RecordingWindow::BringToFront() { record("to front"); }

void EngineCase::SetUp() {
    log.SetObserver([this](const AnsiString& line) { record(line); });
    SetMessageBoxResponder([this](const MessageBoxRequest& r) {
        std::function<void(const MessageBoxRequest&)> hook;
        {
            std::lock_guard lock(mutex_);
            boxes_.push_back(r);
            hook = onBox;
        }
        record("box: " + r.text);
        if (hook) hook(r);
        std::lock_guard lock(mutex_);
        if (answers_.empty()) return (r.flags & MB_TYPEMASK) == MB_OK ? int(IDOK) : int(IDCANCEL);
        int a = answers_.front();
        answers_.pop_front();
        return a;
    });

    ASSERT_NO_FATAL_FAILURE(OpenService());

    conf = std::make_unique<TConf>(services());
    conf->Load();
    erros = std::make_unique<TErros>(services());
    logCon = std::make_unique<TLogCon>(services());
    checaMail = std::make_unique<TChecaMail>(services(), nullptr);
}

void EngineCase::TearDown() {
    StopEngine();
    checaMail.reset();
    logCon.reset();
    erros.reset();
    conf.reset();
    log.SetObserver(nullptr);
    UiPump::Instance().Reset();  // forgets the minimised state
    Application->ProcessMessages();
}

TServices EngineCase::services() {
    return {&log, &phones, conf.get(), checaMail.get(), erros.get(), logCon.get(), &edition};
}

void EngineCase::StartEngine() {
    dialer = std::make_unique<TDialer>(services(), engineWindow);
    FollowClock([this](int64_t ms) { onClock(ms); }, [this] { return nextAction(); });
}

void EngineCase::StopEngine() {
    if (dialer) dialer->Shutdown();
    StopFollowingClock();
    dialer.reset();
}

int64_t EngineCase::nextAction() {
    std::lock_guard lock(mutex_);
    int64_t next = INT64_MAX;
    for (auto& a : actions_) next = std::min(next, a.first);
    return next;
}

void EngineCase::onClock(int64_t ms) {
    for (;;) {
        std::function<void()> action;
        {
            std::lock_guard lock(mutex_);
            for (auto it = actions_.begin(); it != actions_.end(); ++it) {
                if (it->first > ms) continue;
                action = std::move(it->second);
                actions_.erase(it);
                break;
            }
        }
        if (!action) return;
        action();
    }
}

void EngineCase::At(int64_t ms, std::function<void()> action) {
    std::lock_guard lock(mutex_);
    actions_.emplace_back(ms, std::move(action));
}

void EngineCase::answerBoxes(std::vector<int> answers) {
    std::lock_guard lock(mutex_);
    answers_.assign(answers.begin(), answers.end());
}

void EngineCase::record(const AnsiString& what) {
    std::lock_guard lock(mutex_);
    events_.push_back({machine.clock.MonotonicMs(), what, IsUiThread()});
}

std::vector<Event> EngineCase::events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<Line> EngineCase::lines(std::size_t from) const {
    std::vector<Line> out;
    for (const Event& e : events()) {
        if (e.what.rfind("window", 0) == 0 || e.what.rfind("box: ", 0) == 0 || e.what.rfind("http: ", 0) == 0)
            continue;
        out.push_back({e.ms, e.what});
    }
    out.erase(out.begin(), out.begin() + static_cast<long>(std::min(from, out.size())));
    return out;
}

std::vector<AnsiString> EngineCase::texts(std::size_t from) const {
    std::vector<AnsiString> out;
    for (const Line& l : lines(from)) out.push_back(l.text);
    return out;
}

std::vector<MessageBoxRequest> EngineCase::boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

std::vector<std::string> EngineCase::errorRecords() const {
    std::vector<std::string> out;
    std::istringstream in(machine.readProgramFile("erros.txt"));
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

std::vector<std::string> EngineCase::requests() const {
    std::vector<std::string> out;
    for (const std::string& r : http.requests()) {
        std::string line = r.substr(0, r.find("\r\n"));
        std::string method = line.substr(0, line.find(' '));
        std::size_t slash = line.rfind('/', line.find(" HTTP/"));
        out.push_back(method + " " + line.substr(slash + 1, line.find(" HTTP/") - slash - 1));
    }
    return out;
}
