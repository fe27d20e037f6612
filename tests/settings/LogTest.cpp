#include "settings/Log.h"
#include "support/TempMachine.h"

#include "platform/UiThread.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {
// The test's thread stands for the UI thread: queued calls wait until it runs them.
class HeldQueue : public UiDispatcher {
public:
    HeldQueue() { SetUiDispatcher(this); }
    ~HeldQueue() override { SetUiDispatcher(nullptr); }
    bool IsUiThread() override { return std::this_thread::get_id() == ui_; }
    void RunSync(const std::function<void()>& f) override {
        ADD_FAILURE() << "the status log never waits for the UI thread";
        f();
    }
    void Queue(std::function<void()> f) override {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(f));
    }
    void runQueued() {
        for (;;) {
            std::function<void()> f;
            {
                std::lock_guard lock(mutex_);
                if (queue_.empty()) return;
                f = std::move(queue_.front());
                queue_.pop_front();
            }
            f();
        }
    }

private:
    std::thread::id ui_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
};

// A status view that notes every line given to it away from the UI thread.
class UiOnlyView : public TStringList {
public:
    explicit UiOnlyView(HeldQueue& ui) : ui_(ui) {}
    int Add(const AnsiString& s) override {
        if (!ui_.IsUiThread()) ++offThread;
        return TStringList::Add(s);
    }
    int offThread = 0;

private:
    HeldQueue& ui_;
};
}  // namespace

TEST(Logger, FileHoldsTheRunsLinesWithCrLfIn1252) {
    TempMachine m;
    m.writeProgramFile("log.txt", "line of an earlier run\r\n");
    TLogger log;
    log.Add("Discando..."_a);
    log.Add("");
    log.Add("Não conectado em menos de 120 segundos."_a);
    log.Add("Conectado!");
    EXPECT_EQ(m.readProgramFile("log.txt"),
              "Discando...\r\nN\xE3o conectado em menos de 120 segundos.\r\nConectado!\r\n");
    EXPECT_EQ(log.Lines().size(), 3u);
}

TEST(Logger, ViewGetsLinesOnlyOnceSet) {
    TempMachine m;
    TLogger log;
    TStringList view;
    log.Add("before");
    log.SetView(&view);
    log.Add("after");
    log.Add("");
    ASSERT_EQ(view.Count(), 1);
    EXPECT_EQ(view[0], "after");
    EXPECT_EQ(m.readProgramFile("log.txt"), "before\r\nafter\r\n");
}

TEST(Logger, RunWithoutLinesLeavesAnEmptyFile) {
    TempMachine m;
    m.writeProgramFile("log.txt", "old\r\n");
    TLogger log;
    log.Save();
    EXPECT_EQ(m.readProgramFile("log.txt"), "");
}

TEST(Logger, UnwritableFileLosesNothing) {
    TempMachine m;
    std::filesystem::create_directory(m.path("log.txt"));
    TLogger log;
    TStringList view;
    log.SetView(&view);
    EXPECT_NO_THROW(log.Add("um"));
    EXPECT_NO_THROW(log.Save());
    EXPECT_EQ(view.Count(), 1);
    std::filesystem::remove(m.path("log.txt"));
    log.Add("dois");
    EXPECT_EQ(m.readProgramFile("log.txt"), "um\r\ndois\r\n");
}

TEST(Logger, TwoThreadsLoseNoLine) {
    TempMachine m;
    TLogger log;
    auto writer = [&log](char tag) {
        for (int i = 0; i < 1000; ++i) log.Add(std::string(1, tag) + std::to_string(i));
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2000u);
    int lastA = -1, lastB = -1;
    for (auto& l : lines) {
        int n = std::stoi(l.substr(1));
        int& last = l[0] == 'a' ? lastA : lastB;
        EXPECT_EQ(n, last + 1);
        last = n;
    }
    std::string file = m.readProgramFile("log.txt");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 2000);
}

TEST(Logger, TheViewIsFilledOnTheUiThreadInOrder) {
    TempMachine m;
    HeldQueue ui;
    UiOnlyView view(ui);
    {
        TLogger log;
        log.SetView(&view);
        auto writer = [&log](char tag) {
            for (int i = 0; i < 200; ++i) log.Add(std::string(1, tag) + std::to_string(i));
        };
        std::thread a(writer, 'a'), b(writer, 'b');
        log.Add("ui");
        a.join();
        b.join();
        EXPECT_EQ(view.Count(), 0) << "the writers' threads never touch the view";
        EXPECT_EQ(log.Lines().size(), 401u);

        ui.runQueued();
        std::vector<AnsiString> shown;
        for (int i = 0; i < view.Count(); ++i) shown.push_back(view[i]);
        EXPECT_EQ(shown, log.Lines()) << "the view shows the lines in the log's order";
        EXPECT_EQ(view.offThread, 0);

        // Lines still on their way when the log goes reach no view.
        std::thread([&log] { log.Add("late"); }).join();
    }
    ui.runQueued();
    EXPECT_EQ(view.Count(), 401);
}
