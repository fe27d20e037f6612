#include "platform/Dialogs.h"
#include "platform/MachineLog.h"
#include "support/TempMachine.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
using Records = std::vector<std::vector<AnsiString>>;

// Every byte but NUL, which no caller's text holds.
AnsiString AllBytes() {
    AnsiString s;
    for (int c = 1; c < 256; ++c) s += static_cast<char>(c);
    return s;
}
}  // namespace

TEST(MachineLog, EachLogKeepsItsOwnEscapes) {
    struct {
        LogEscape rule;
        AnsiString text;
        std::string written;
    } cases[] = {
        {LogEscape::Backslash, "C:\\Vyn\tA\r\nB%", "C:\\\\Vyn\\tA\\r\\nB%"},
        {LogEscape::Percent, "C:\\Vyn\tA\r\nB%", "C:\\Vyn%09A%0D%0AB%25"},
        {LogEscape::Quoted,
         "C:\\Vyn \"x\"\t\x7F"
         "Jo\xE3o",
         "\"C:\\\\Vyn \\\"x\\\"\\x09\\x7fJo\xC3\xA3o\""},
        {LogEscape::Quoted, "", "\"\""},
        {LogEscape::None, "SND1", "SND1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeLogText(c.text, c.rule), c.written) << c.written;
        EXPECT_EQ(UnescapeLogText(c.written, c.rule), c.text) << c.written;
    }
    // Every byte reads back as it was written, and no escaped text holds a line end or a TAB.
    for (LogEscape rule : {LogEscape::Backslash, LogEscape::Percent, LogEscape::Quoted}) {
        std::string written = EscapeLogText(AllBytes(), rule);
        EXPECT_EQ(UnescapeLogText(written, rule), AllBytes()) << static_cast<int>(rule);
        EXPECT_EQ(written.find_first_of("\t\r\n"), std::string::npos) << static_cast<int>(rule);
    }
    // A field that breaks its rule is taken as it stands.
    EXPECT_EQ(UnescapeLogText("no quotes", LogEscape::Quoted), "no quotes");
    EXPECT_EQ(UnescapeLogText("\"\\x4\"", LogEscape::Quoted), "x4");
    EXPECT_EQ(UnescapeLogText("trailing\\", LogEscape::Backslash), "trailing\\");
    EXPECT_EQ(UnescapeLogText("%41%2", LogEscape::Percent), "%41%2");
}

TEST(MachineLog, RecordsAreLinesOfFieldsReadBackWhole) {
    TempMachine m;
    constexpr MachineLog log{"test.log", LogEscape::Backslash};
    log.Append({"16", "Aviso", "Linha 1\nLinha\t2", "1"});
    log.Append({"0", "", ""});
    log.AppendLine("composed\\tby the caller");
    EXPECT_EQ(ReadFileBytes(m.dir() + "/test.log"),
              "16\tAviso\tLinha 1\\nLinha\\t2\t1\n0\t\t\ncomposed\\tby the caller\n");
    EXPECT_EQ(log.Records(3),
              (Records{{"16", "Aviso", "Linha 1\nLinha\t2"}, {"0", "", ""}, {"composed\tby the caller", "", ""}}));
    EXPECT_EQ(log.Records(5)[1], (std::vector<AnsiString>{"0", "", "", "", ""}));
    // A log that cannot be written is skipped; one that is missing has no records.
    std::filesystem::create_directory(m.dir() + "/refused.log");
    constexpr MachineLog refused{"refused.log", LogEscape::Percent};
    refused.Append({"x"});
    EXPECT_TRUE(refused.Records(1).empty());
    EXPECT_TRUE((MachineLog{"missing.log", LogEscape::None}.Records(2).empty()));
}

TEST(MachineLog, MessageBoxesAreLoggedInTheirDocumentedForm) {
    TempMachine m;
    m.answerBoxes({IDNO});
    MessageBox("Discar de novo?\r\nC:\\Vyn\tagora", "Ruvozava", MB_YESNO | MB_ICONQUESTION);
    MessageBox("Conectado", "", MB_OK);
    EXPECT_EQ(ReadFileBytes(m.dir() + "/messages.log"),
              std::to_string(MB_YESNO | MB_ICONQUESTION) + "\tRuvozava\tDiscar de novo?\\r\\nC:\\\\Vyn\\tagora\t" +
                  std::to_string(IDNO) + "\n0\t\tConectado\t" + std::to_string(IDOK) + "\n");
    auto boxes = RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Discar de novo?\r\nC:\\Vyn\tagora");
    EXPECT_EQ(boxes[0].caption, "Ruvozava");
    EXPECT_EQ(boxes[1].flags, static_cast<unsigned>(MB_OK));
}

TEST(MachineLog, WritersInThreadsAndProcessesNeverInterleave) {
    TempMachine m;
    constexpr MachineLog log{"shared.log", LogEscape::Percent};
    constexpr int kWriters = 3, kRecords = 200;
    // Long records, so a record written in pieces would show.
    auto write = [&](const std::string& who) {
        for (int i = 0; i < kRecords; ++i) log.Append({who, std::to_string(i), std::string(300, 'x') + "\t%"});
    };
    std::vector<pid_t> children;
    for (int c = 0; c < kWriters; ++c) {
        pid_t pid = fork();
        if (pid == 0) {
            write("process" + std::to_string(c));
            _exit(0);
        }
        children.push_back(pid);
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < kWriters; ++t) threads.emplace_back(write, "thread" + std::to_string(t));
    for (auto& t : threads) t.join();
    for (pid_t pid : children) waitpid(pid, nullptr, 0);
    Records records = log.Records(4);
    ASSERT_EQ(records.size(), static_cast<std::size_t>(2 * kWriters * kRecords));
    std::map<AnsiString, int> next;
    for (const auto& r : records) {
        EXPECT_EQ(r[1], std::to_string(next[r[0]]++)) << r[0];  // each writer's records in order
        EXPECT_EQ(r[2], std::string(300, 'x') + "\t%");
        EXPECT_EQ(r[3], "");
    }
    EXPECT_EQ(next.size(), static_cast<std::size_t>(2 * kWriters));
}
