#include "HookFixture.h"

#include "platform/Dialogs.h"
#include "platform/Machine.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryStore.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {
const AnsiString kKey = "Software\\Vyn\\Ruvozava";

void record(DWORD type, const std::string& data) {
    SetMachineRegistryValue(RegRoot::CurrentUser, kKey, "discadorbinary", type, data);
}
std::string sz(const AnsiString& text) { return text + std::string(1, '\0'); }

bool keyExists() {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CURRENT_USER);
    return reg.OpenKey(kKey, false);
}

class Olvaret : public HookTest {
protected:
    Olvaret() {
        customDial = bind<PFN_RasCustomDial>("Olvaret.dll", "RasCustomDial");
        customDialDlg = bind<PFN_RasCustomDialDlg>("Olvaret.dll", "RasCustomDialDlg");
    }

    // Calls RasCustomDial as the platform would; the result, with the handle it left.
    DWORD dial(HRASCONN& handle) {
        RASDIALPARAMSA params{};
        params.dwSize = sizeof params;
        std::strcpy(params.szEntryName, "Ruvozava Corvala 1.3.0");
        return customDial(nullptr, nullptr, u"C:\\rasphone.pbk", &params, 1, nullptr, &handle, 0);
    }
    BOOL dialDlg(RASDIALDLG& info) {
        std::u16string entry = u"Conex\u00e3o Corvala", number = u"0";
        return customDialDlg(nullptr, 0, nullptr, entry.data(), number.data(), &info, nullptr);
    }

    PFN_RasCustomDial customDial = nullptr;
    PFN_RasCustomDialDlg customDialDlg = nullptr;
};

// A dialog record with every byte set, to see that nothing was written.
RASDIALDLG markedDialogRecord() {
    RASDIALDLG info;
    std::memset(&info, 0xA5, sizeof info);
    info.dwSize = sizeof info;
    return info;
}
}  // namespace

TEST_F(Olvaret, BothEntriesStartTheRecordedProgramWithDialParameters) {
    struct {
        const char* name;
        const char* program;  // the recorded file, a stand-in
        bool dialog;          // RasCustomDialDlg, else RasCustomDial
    } cases[] = {
        {"RasCustomDial, the Corvala program", "Mirvane.exe", false},
        {"RasCustomDialDlg, the Corvala program", "Mirvane.exe", true},
        {"the conventional edition's record", "MirvaneRoaming.exe", false},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string program = machine.path(c.program);
        writeStandIn(program, c.program);
        record(REG_SZ, sz(Utf8ToAnsi(program)));
        std::size_t before = starts().size();
        if (c.dialog) {
            RASDIALDLG info = markedDialogRecord(), untouched = info;
            EXPECT_EQ(dialDlg(info), TRUE);
            EXPECT_EQ(std::memcmp(&info, &untouched, sizeof info), 0) << "lpInfo was written";
        } else {
            HRASCONN handle = 0x5EEDu;
            EXPECT_EQ(dial(handle), 0u);
            EXPECT_EQ(handle, 0x5EEDu) << "the connection handle was written";
        }
        auto started = waitForStarts(before + 1);
        ASSERT_EQ(started.size(), before + 1);
        EXPECT_NE(std::find(started.begin(), started.end(), Start{c.program, {"-dial"}}), started.end());
        ASSERT_TRUE(callsDone());
        // The shell got the parameters as they are, trailing blank included, and no entry name.
        ShellCall last = shellCalls().back();
        EXPECT_EQ(last.operation, "open");
        EXPECT_EQ(last.file, Utf8ToAnsi(program));
        EXPECT_EQ(last.parameters, "-dial ");
        EXPECT_EQ(last.directory, "");
        EXPECT_EQ(last.showCmd, SW_SHOWNORMAL);
        EXPECT_GT(last.result, 32);
    }
    EXPECT_EQ(shellCalls().size(), std::size(cases));
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(Olvaret, WithoutAUsableRecordNothingStartsAndNothingIsShown) {
    // Each record names a stand-in in some way, so a wrong reading would start it.
    std::string program = machine.path("Mirvane.exe");
    writeStandIn(program, "Mirvane");
    std::string path = Utf8ToAnsi(program);
    struct {
        const char* name;
        bool key;  // the key exists beforehand
        DWORD type;
        std::string data;
    } cases[] = {
        {"no key: the reader creates it", false, REG_NONE, ""},
        {"the key without the value", true, REG_NONE, ""},
        {"an expandable string", true, REG_EXPAND_SZ, sz(path)},
        {"a string of no data", true, REG_SZ, ""},
        {"an empty text", true, REG_SZ, sz("")},
        {"a number", true, REG_DWORD, std::string("\x01\x00\x00\x00", 4)},
        {"the path as binary data", true, REG_BINARY, sz(path)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearRegistry();
        std::remove(MachineFile("shell.log").c_str());
        if (c.key) SeedRegistry("[HKEY_CURRENT_USER\\Software\\Vyn\\Ruvozava]\n");
        if (c.type != REG_NONE) record(c.type, c.data);
        HRASCONN handle = 0;
        EXPECT_EQ(dial(handle), 0u);
        ASSERT_TRUE(callsDone());
        EXPECT_TRUE(keyExists());
        auto calls = shellCalls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].file, "");
        EXPECT_EQ(calls[0].parameters, "-dial ");
        EXPECT_EQ(calls[0].result, SE_ERR_FNF);
    }
    EXPECT_TRUE(starts().empty());
    EXPECT_TRUE(RecordedMessageBoxes().empty());
}

TEST_F(Olvaret, AnswersBeforeTheProgramIsLookedFor) {
    std::string program = machine.path("Mirvane.exe");
    writeStandIn(program, "Mirvane");
    record(REG_SZ, sz(Utf8ToAnsi(program)));
    // The registry stays locked by another process's writer until both calls have answered.
    int lock = open(MachineFile("registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    std::mutex m;
    std::condition_variable cv;
    bool answered = false;
    DWORD dialResult = 99;
    BOOL dlgResult = FALSE;
    std::atomic<pid_t> platformThread{0};
    std::thread platform([&] {
        platformThread = gettid();
        HRASCONN handle = 0;
        RASDIALDLG info = markedDialogRecord();
        dialResult = dial(handle);
        dlgResult = dialDlg(info);
        std::lock_guard l(m);
        answered = true;
        cv.notify_all();
    });
    {
        std::unique_lock l(m);
        EXPECT_TRUE(cv.wait_for(l, std::chrono::seconds(10), [&] { return answered; })) << "a call waited";
    }
    EXPECT_EQ(threadsRunning(platformThread), 2u);
    EXPECT_TRUE(starts().empty());
    flock(lock, LOCK_UN);
    close(lock);
    platform.join();
    EXPECT_EQ(dialResult, 0u);
    EXPECT_EQ(dlgResult, TRUE);
    auto started = waitForStarts(2);
    EXPECT_EQ(started, (std::vector<Start>{{"Mirvane", {"-dial"}}, {"Mirvane", {"-dial"}}}));
}

TEST_F(Olvaret, EveryCallStartsTheProgramOnce) {
    std::string program = machine.path("Mirvane.exe");
    writeStandIn(program, "Mirvane");
    record(REG_SZ, sz(Utf8ToAnsi(program)));
    HRASCONN handle = 0;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(dial(handle), 0u);
    auto started = waitForStarts(3);
    EXPECT_EQ(started, std::vector<Start>(3, {"Mirvane", {"-dial"}}));
    ASSERT_TRUE(callsDone());
    auto calls = shellCalls();
    ASSERT_EQ(calls.size(), 3u);
    for (auto& call : calls) EXPECT_EQ(call.parameters, "-dial ");
}
