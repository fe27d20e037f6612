#pragma once
// The engine on its bench (support/engine/EngineBench): the status log, phone list,
// settings, failed-dial log, connection report and mail check of its own services record,
// for the edition of the case (Mirvane's unless a case names another), a window that
// records what the engine asks of it, and a fake clock that the test moves. Every status
// line, window call and message box is kept with the clock's reading and whether it came
// from the UI thread.
#include "connection/Dialer.h"
#include "connection/WindowLink.h"

#include "settings/Checamail.h"
#include "settings/Conf.h"
#include "settings/Edition.h"
#include "settings/Erros.h"
#include "settings/Log.h"
#include "settings/Logcon.h"
#include "settings/Xmlvyn.h"
#include "support/engine/EngineBench.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One thing that happened: a status line ("Discando..."), or a window call, box or request
// marked as such ("window: repaint", "box: <text>", "http: <label>").
struct Event {
    int64_t ms = 0;
    AnsiString what;
    bool onUiThread = true;
};

// A status line as the tests write them: when, and what.
struct Line {
    int64_t ms;
    AnsiString text;
    bool operator==(const Line&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Line& l);

class RecordingWindow : public TWindowLink {
public:
    explicit RecordingWindow(std::function<void(const AnsiString&)> record) : record_(std::move(record)) {}
    void Repaint() override;
    void SetPanel(int state) override;
    void SetTrayHint(const AnsiString& hint) override;
    bool ConfirmLongDistance() override;
    void BringToFront() override;

    bool confirmLongDistance = true;
    // Runs inside Repaint, before it is recorded (a test looks at the files then).
    std::function<void()> onRepaint;

private:
    void record(const AnsiString& what);
    std::function<void(const AnsiString&)> record_;
};

class EngineCase : public ::testing::Test, protected EngineBench {
protected:
    // A case of `edition`, whose program file is `programFile`.
    explicit EngineCase(const TEdition& edition = MirvaneEdition(), const std::string& programFile = "Mirvane.exe")
        : EngineBench(programFile), edition(edition) {}
    void SetUp() override;
    void TearDown() override;

    // The engine made as the main window makes it, with `engineWindow` for its window; the
    // clock followed from then on.
    void StartEngine();
    // Shuts the engine down and deletes it, as the main window's FormDestroy does.
    void StopEngine();
    // Runs `action` on the UI thread when the clock reaches `ms` (inside a wait, too).
    void At(int64_t ms, std::function<void()> action);
    void WaitForSequence() { EngineBench::WaitForSequence(*dialer); }
    // The services the fixture made, as the engine is handed them.
    TServices services();

    // Answers for the next message boxes, in order (then the default: OK, or cancel).
    void answerBoxes(std::vector<int> answers);
    // Runs inside the next boxes (on the asking thread), before the answer is taken.
    std::function<void(const MessageBoxRequest&)> onBox;

    std::vector<Event> events() const;
    // The status lines (with their times) from index `from` on.
    std::vector<Line> lines(std::size_t from = 0) const;
    std::vector<AnsiString> texts(std::size_t from = 0) const;
    std::size_t lineCount() const { return lines().size(); }
    std::vector<MessageBoxRequest> boxes() const;
    // The failed-dial records of "erros.txt", one line each.
    std::vector<std::string> errorRecords() const;
    std::string history() const { return machine.readProgramFile("logs.txt"); }
    void record(const AnsiString& what);
    // The paths of the requests the dialer service received, in order ("POST log.php").
    std::vector<std::string> requests() const;

    const TEdition& edition;
    TLogger log;
    // Nothing loaded: no destination area code.
    TXMLvyn phones{TServices{.log = &log, .edition = &edition}};
    std::unique_ptr<TConf> conf;
    std::unique_ptr<TErros> erros;
    std::unique_ptr<TLogCon> logCon;
    std::unique_ptr<TChecaMail> checaMail;
    RecordingWindow window{[this](const AnsiString& what) { record(what); }};
    // The window StartEngine hands the engine.
    TWindowLink* engineWindow = &window;
    std::unique_ptr<TDialer> dialer;

private:
    void onClock(int64_t ms);
    int64_t nextAction();

    mutable std::mutex mutex_;
    std::vector<Event> events_;
    std::deque<int> answers_;
    std::vector<MessageBoxRequest> boxes_;
    std::vector<std::pair<int64_t, std::function<void()>>> actions_;
};

// The UTF-8 literal as the 1252 bytes the program writes.
inline Line L(int64_t ms, const char* utf8) { return {ms, Utf8ToAnsi(utf8)}; }
