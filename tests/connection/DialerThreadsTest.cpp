// The engine's threads: the UI thread goes on while a connected sequence waits on the
// network or on a question, Shutdown ends the sequence's request in flight and waits for the
// sequence while still serving the UI thread, and no notification reaches an engine that has
// shut down.
#include "support/engine/EngineFixture.h"

#include "platform/Application.h"
#include "platform/UiThread.h"
#include "support/FileTimes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

namespace {
using Threads = EngineCase;

// A gate one thread waits at until another opens it (bounded, so a fault fails the test).
class Gate {
public:
    void open() {
        std::lock_guard lock(m_);
        open_ = true;
        cv_.notify_all();
    }
    bool wait() {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, std::chrono::seconds(20), [&] { return open_; });
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = false;
};

// Serves the UI thread until `done` holds (a real-time bound: other threads are at work).
bool ServeUntil(const std::function<bool()>& done) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) return false;
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
}  // namespace

TEST_F(Threads, TheUiThreadGoesOnWhileTheSequenceWaitsForTheNetwork) {
    writeScript("dial connect after 1000 states none\nhangup 300\n");
    Gate reply;
    std::atomic<bool> asked{false};
    HttpScript report = HttpScript::Reply(200, "OK");
    report.before = [&] {
        asked = true;
        reply.wait();
    };
    http.script(report);
    http.script(HttpScript::Reply(200, "OK", "*1.3.0.28*"));
    StartEngine();
    dialer->Dial("", "");
    RunTo(1400);
    ASSERT_TRUE(ServeUntil([&] { return asked.load(); }));
    // The report hangs; meanwhile the user hangs up and the window shows it.
    std::size_t from = lineCount();
    RunTo(3000);
    dialer->HangUp(true);
    EXPECT_TRUE(dialer->IsSequenceRunning());
    EXPECT_EQ(lines(from), (std::vector<Line>{L(3000, "Desconectando..."), L(3400, "Desconectado.")}));
    EXPECT_FALSE(dialer->IsConnected());
    reply.open();
    WaitForSequence();
    EXPECT_EQ(requests(), (std::vector<std::string>{"POST conexao.php", "GET versao.php"}));
}

TEST_F(Threads, ShutdownWaitsForARunningSequenceWhileServingTheUiThread) {
    writeScript("dial connect after 1000 states none\n");
    http.script(HttpScript::Reply(200, "OK"));
    http.script(HttpScript::Reply(200, "OK", "*1.4.0.1*"));
    Gate answer;
    std::atomic<bool> questionUp{false}, inShutdown{false}, servedInShutdown{false};
    onBox = [&](const MessageBoxRequest&) {
        questionUp = true;
        answer.wait();
        // The sequence needs the UI thread once more before it can end.
        RunOnUiThread([&] { servedInShutdown = inShutdown.load(); });
    };
    answerBoxes({IDNO});
    StartEngine();
    dialer->Dial("", "");
    RunTo(1400);
    ASSERT_TRUE(ServeUntil([&] { return questionUp.load(); }));
    inShutdown = true;
    answer.open();
    dialer->Shutdown();
    inShutdown = false;
    EXPECT_TRUE(servedInShutdown);
    EXPECT_FALSE(dialer->IsSequenceRunning());
    // The sequence ran to its end: minimised, and the page opened.
    std::string shell;
    {
        std::ifstream in(machine.dir() + "/shell.log", std::ios::binary);
        shell.assign(std::istreambuf_iterator<char>(in), {});
    }
    EXPECT_NE(shell.find("http://www.telecom.example/"), std::string::npos);
    onBox = nullptr;
}

// The user closes while one of the sequence's requests drips its reply at 2 bytes a second,
// fast enough for the stall rule: only the close ends it. The step in flight says so in its
// usual line, every later request fails at once without going out, and the sequence runs to
// its end.
struct DripCase {
    const char* name;
    bool listDue;         // "tels" is a day old: the phone list is fetched first
    std::size_t dripsAt;  // which request drips; those before it are answered
    std::vector<std::string> requests;
    std::vector<AnsiString> lines;  // from the close on
};

void PrintTo(const DripCase& c, std::ostream* os) { *os << c.name; }

class ShutdownDuringARequest : public EngineCase, public ::testing::WithParamInterface<DripCase> {};

TEST_P(ShutdownDuringARequest, EndsItAndTheSequenceWithIt) {
    const DripCase& c = GetParam();
    writeScript("dial connect after 1000 states none\n");
    if (c.listDue) {
        machine.writeProgramFile("tels", "<ESTADOS/>");
        SetFileModified(machine.path("tels"), Now() - 2);
    }
    for (std::size_t i = 0; i < c.dripsAt; ++i) http.script(HttpScript::Reply(200, "OK"));
    http.script(HttpScript::Drip(std::string(40, '*'), 2, 1000));
    http.script(HttpScript::Reply(200, "OK", "*1.3.0.28*"));
    StartEngine();
    dialer->Dial("", "");
    RunTo(1400);
    ASSERT_TRUE(ServeUntil([&] { return http.requests().size() == c.dripsAt + 1; }));
    std::size_t from = lineCount();
    dialer->Shutdown();
    EXPECT_FALSE(dialer->IsSequenceRunning());
    EXPECT_EQ(requests(), c.requests);
    EXPECT_EQ(texts(from), c.lines);
}

const AnsiString kUpdateCheckFailed = "Ocorreu um erro ao checar novas atualizações"_a;

INSTANTIATE_TEST_SUITE_P(
    Threads, ShutdownDuringARequest,
    ::testing::Values(
        DripCase{"PhoneList",
                 true,
                 0,
                 {"GET tels"},
                 {"Ocorreu um erro ao receber o arquivo de telefones:\nRequest cancelled.", "Conectado a 52.000 bps",
                  "Request cancelled.", kUpdateCheckFailed}},
        DripCase{"ConnectionReport", false, 0, {"POST conexao.php"}, {"Request cancelled.", kUpdateCheckFailed}},
        DripCase{"UpdateCheck", false, 1, {"POST conexao.php", "GET versao.php"}, {kUpdateCheckFailed}}),
    [](const ::testing::TestParamInfo<DripCase>& info) { return std::string(info.param.name); });

TEST_F(Threads, NoNotificationReachesAnEngineThatHasShutDown) {
    writeScript("dial connect after 4000 states 0,5,14\n");
    StartEngine();
    dialer->Dial("", "");
    RunTo(2000);
    std::size_t from = lineCount();
    HRASCONN handle = dialer->ConnectionHandle();
    // One notification already handed over to the UI thread, not yet run.
    std::thread service([handle] { RasDialCallback(handle, WM_RASDIALEVENT, RASCS_Connected, 0, 0); });
    service.join();
    dialer->Shutdown();
    Application->ProcessMessages();
    // And the service's own, still to come.
    RunTo(10000);
    EXPECT_TRUE(lines(from).empty());
    EXPECT_FALSE(dialer->IsConnected());
    EXPECT_FALSE(dialer->IsSequenceRunning());
    // Dials and hang-ups are no longer taken either.
    dialer->Dial("", "");
    EXPECT_EQ(sim->Dials(), 1u);
}
