#include "HookFixture.h"

#include "platform/Dialogs.h"
#include "platform/Machine.h"
#include "support/TestFiles.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
class Tebrin : public HookTest {
protected:
    Tebrin() {
        handlerA = bind<PFN_AutoDialHandlerA>("Tebrin.dll", "AutoDialHandlerA");
        handlerW = bind<PFN_AutoDialHandlerW>("Tebrin.dll", "AutoDialHandlerW");
    }

    // Calls one of the handlers as the platform would; the result and the return code.
    std::pair<BOOL, DWORD> call(bool wide) {
        DWORD code = 0xFFFFFFFF;
        RASADPARAMS params{sizeof(RASADPARAMS), 0, 0, 0, 0};
        BOOL result;
        if (wide) {
            std::u16string entry = u"Conex\u00e3o Corvala \u20ac";
            result = handlerW(nullptr, entry.data(), &params, &code);
        } else {
            std::string entry = "Conexão Corvala €"_a;
            result = handlerA(nullptr, entry.data(), &params, &code);
        }
        return {result, code};
    }

    // A folder to work in that is not the library's, holding a "Brenwick.exe" of its own.
    void workElsewhere() {
        std::string elsewhere = machine.dir() + "/Documents";
        fs::create_directories(elsewhere);
        writeStandIn(elsewhere + "/Brenwick.exe", "planted");
        ASSERT_EQ(chdir(elsewhere.c_str()), 0);
    }

    PFN_AutoDialHandlerA handlerA = nullptr;
    PFN_AutoDialHandlerW handlerW = nullptr;
};

const std::pair<BOOL, DWORD> kHandled{TRUE, 0};

// Opens the pipe `fifo` for writing once a reader has opened it, waiting at most 10 s; -1
// when none came.
int openOnceRead(const std::string& fifo) {
    std::promise<int> opened;
    std::future<int> fd = opened.get_future();
    std::thread opener([&] { opened.set_value(open(fifo.c_str(), O_WRONLY | O_CLOEXEC)); });
    if (fd.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
        opener.join();
        return fd.get();
    }
    // A reader of our own lets the opener go.
    int self = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    opener.join();
    close(fd.get());
    close(self);
    return -1;
}
}  // namespace

TEST_F(Tebrin, BothHandlersStartTheBrenwickBesideTheLibrary) {
    std::string program = machine.path("Brenwick.exe");
    writeStandIn(program, "beside");
    workElsewhere();
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "AutoDialHandlerW" : "AutoDialHandlerA");
        std::remove(MachineFile("shell.log").c_str());
        std::size_t before = starts().size();
        EXPECT_EQ(call(wide), kHandled);
        auto started = waitForStarts(before + 1);
        EXPECT_EQ(started, std::vector<Start>(before + 1, {"beside", {"-dial"}}));
        ASSERT_TRUE(callsDone());
        auto calls = shellCalls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].operation, "FindExecutable");
        EXPECT_EQ(calls[0].file, "Brenwick.exe");
        EXPECT_EQ(calls[0].directory, Utf8ToAnsi(machine.programDir()));
        EXPECT_EQ(calls[0].parameters, Utf8ToAnsi(program));
        EXPECT_GT(calls[0].result, 32);
        EXPECT_EQ(calls[1].operation, "open");
        EXPECT_EQ(calls[1].file, Utf8ToAnsi(program));
        EXPECT_EQ(calls[1].parameters, "-dial ");
        EXPECT_EQ(calls[1].directory, "");
        EXPECT_EQ(calls[1].showCmd, SW_SHOWNORMAL);
    }
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(Tebrin, ThreeRequestsStartThreeTimesWithTheSameParameters) {
    writeStandIn(machine.path("Brenwick.exe"), "Brenwick");
    EXPECT_EQ(call(false), kHandled);
    EXPECT_EQ(call(true), kHandled);
    EXPECT_EQ(call(false), kHandled);
    EXPECT_EQ(waitForStarts(3), std::vector<Start>(3, {"Brenwick", {"-dial"}}));
    ASSERT_TRUE(callsDone());
    int opens = 0;
    for (auto& c : shellCalls())
        if (c.operation == "open") {
            ++opens;
            EXPECT_EQ(c.parameters, "-dial ");
        }
    EXPECT_EQ(opens, 3);
}

TEST_F(Tebrin, AFailedLookUpShowsItsMessageAndStartsNothing) {
    workElsewhere();  // a "Brenwick.exe" in the current folder is never the one looked up
    std::string program = machine.path("Brenwick.exe");
    struct {
        const char* name;
        const char* content;  // of "Brenwick.exe" beside the library; null: none
        bool runnable;
        const char* forced;  // "shell-errors.txt"
        const char* message;
    } cases[] = {
        {"no Brenwick.exe beside the library", nullptr, false, "", "Ruvozava não encontrado"},
        {"a file the user may not run", "#!/bin/sh\n", false, "", "Não há associação para o arquivo especificado."},
        {"a file that is no program", "MZ\x90\x00", true, "", "Programa discador corrompido."},
        {"out of memory", nullptr, false, "FindExecutable 0\n", "Não há memória disponível."},
        {"access denied", nullptr, false, "FindExecutable 5\n", "Erro não esperado."},
        {"the largest failure code", nullptr, false, "FindExecutable 32\n", "Erro não esperado."},
    };
    std::string answers;
    for (std::size_t i = 0; i < std::size(cases); ++i) answers += "1\n";
    machine.writeMachineFile("message-answers.txt", answers);
    std::size_t shown = 0;
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(program);
        if (c.content) {
            std::ofstream(program, std::ios::binary) << c.content;
            fs::permissions(program,
                            c.runnable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
        }
        machine.writeMachineFile("shell-errors.txt", c.forced);
        EXPECT_EQ(call(false), kHandled);
        ASSERT_TRUE(callsDone());
        auto boxes = RecordedMessageBoxes();
        ASSERT_EQ(boxes.size(), ++shown);
        EXPECT_EQ(boxes.back().text, Utf8ToAnsi(c.message));
        EXPECT_EQ(boxes.back().caption, "Brenwick");
        EXPECT_EQ(boxes.back().flags, 0x2010u);
    }
    EXPECT_TRUE(starts().empty());
    for (auto& c : shellCalls()) EXPECT_EQ(c.operation, "FindExecutable");
    EXPECT_EQ(RecordedMessageBoxes().size(), std::size(cases));
    EXPECT_EQ(ReadFileBytes(MachineFile("message-answers.txt")), "") << "each box took the machine's answer";
}

TEST_F(Tebrin, ALibraryWhoseFolderHasGoneCannotFindThePath) {
    std::string folder = machine.dir() + "/Old Vyn";
    fs::create_directories(folder);
    fs::copy_file(fs::path(VYN_DIST_DIR) / "Tebrin.dll", folder + "/Tebrin.dll");
    writeStandIn(folder + "/Brenwick.exe", "old");
    HMODULE old = LoadLibraryA(Utf8ToAnsi(folder + "/Tebrin.dll").c_str());
    ASSERT_NE(old, nullptr);
    auto handler = reinterpret_cast<PFN_AutoDialHandlerA>(GetProcAddress(old, "AutoDialHandlerA"));
    ASSERT_NE(handler, nullptr);
    fs::remove_all(folder);
    DWORD code = 7;
    EXPECT_EQ(handler(nullptr, nullptr, nullptr, &code), TRUE);
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(callsDone());
    ASSERT_EQ(RecordedMessageBoxes().size(), 1u);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, "Caminho para o discador não encontrado."_a);
    EXPECT_TRUE(starts().empty());
    FreeLibrary(old);
}

TEST_F(Tebrin, AnswersWhileItsMessageIsStillOpen) {
    // Whether this process may raise a thread's priority at all.
    errno = 0;
    int base = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    bool mayRaise = false;
    std::thread([&] { mayRaise = setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), base - 1) == 0; }).join();

    // The machine's answer comes through a pipe: the box stays open until the test answers.
    std::string answers = MachineFile("message-answers.txt");
    ASSERT_EQ(mkfifo(answers.c_str(), 0600), 0);
    std::mutex m;
    std::condition_variable cv;
    bool answered = false;
    std::pair<BOOL, DWORD> result;
    std::atomic<pid_t> caller{0};
    std::thread platform([&] {
        caller = gettid();
        auto r = call(true);
        std::lock_guard lock(m);
        result = r;
        answered = true;
        cv.notify_all();
    });
    int box = openOnceRead(answers);
    EXPECT_GE(box, 0) << "no message was shown";
    bool answeredInTime;
    {
        std::unique_lock lock(m);
        answeredInTime = cv.wait_for(lock, std::chrono::seconds(10), [&] { return answered; });
    }
    // The thread that shows the box: the one started since with a name of its own (the test's
    // helpers keep the program's, and may not have quite gone yet).
    std::string threadName;
    int threadNice = 1000;
    for (pid_t t : threads.Started()) {
        std::string name = ThreadNameOf(t);
        if (t == caller || name.empty() || name == ThreadNameOf(getpid())) continue;
        threadName = name;
        threadNice = getpriority(PRIO_PROCESS, static_cast<id_t>(t));
    }
    if (box >= 0) {
        // Later answers come from a plain file again; this one closes the box.
        machine.writeMachineFile("message-answers.txt.next", "");
        fs::rename(answers + ".next", answers);
        EXPECT_EQ(write(box, "1\n", 2), 2);
        close(box);
    }
    platform.join();
    ASSERT_TRUE(callsDone());
    EXPECT_EQ(result, kHandled);
    EXPECT_TRUE(answeredInTime) << "the handler waited for its message";
    EXPECT_EQ(threadName, "CallUI");
    EXPECT_EQ(threadNice, mayRaise ? base - 1 : base);
    EXPECT_EQ(RecordedMessageBoxes().size(), 1u);
}
