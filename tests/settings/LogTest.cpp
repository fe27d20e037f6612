#include "settings/Log.h"
#include "support/TempMachine.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <algorithm>

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
