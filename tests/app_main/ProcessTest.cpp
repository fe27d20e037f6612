// Mirvane.exe as a process: one instance per machine, the start hidden in the tray, and a
// machine without the dial-up service.
#include "ProgramRun.h"

#include "app/Main.h"
#include "platform/Dialogs.h"
#include "platform/qt/SingleInstance.h"

#include <gtest/gtest.h>

namespace {
// A machine with one modem and the program installed; boxes answered from the file.
struct ProcessMachine {
    TempMachine machine;
    explicit ProcessMachine(bool withDialUpService = true, const std::string& answers = "7\n6\n") {
        machine.writeMachineFile("devices.txt", "modem\tModem Padr\xC3\xA3o 56K\n");
        machine.writeMachineFile("dial-script.txt", "dial hang\n");
        machine.writeMachineFile("message-answers.txt", answers);
        InstallProgram(machine, withDialUpService);
    }
    int questions() const {
        int n = 0;
        for (const LoggedBox& b : LoggedBoxes(machine)) n += b.text == DefaultQuestionText();
        return n;
    }
    static AnsiString DefaultQuestionText() {
        return "O Ruvozava Corvala não é o discador padrão.\nDeseja torná-lo seu discador padrão?"_a;
    }
    // Asks the running program to close, as its window's close box does.
    void close() const { PostToInstance(kProgramTitle, WM_CLOSE, 0, 0); }
};

TEST(ProgramProcess, ASecondStartBringsTheFirstForwardAndEndsWithOne) {
    ProcessMachine m;
    ProgramRun first(m.machine, {"--minimized"});
    ASSERT_FALSE(first.waitForLine("loop").isEmpty());
    // Hidden in the tray: no window painted, no first showing yet.
    EXPECT_FALSE(first.saw("painted MainForm"));
    EXPECT_EQ(m.questions(), 0);

    ProgramRun second(m.machine);
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_FALSE(second.saw("painted"));
    EXPECT_FALSE(second.saw("loop"));
    // The first comes forward: its window shows and its first showing asks its question.
    EXPECT_FALSE(first.waitForLine("painted MainForm").isEmpty());
    EXPECT_TRUE(WaitFor([&] { return m.questions() == 1; }));

    // A start by a dial hook is a second start like any other.
    ProgramRun third(m.machine, {"-dial "});
    EXPECT_EQ(third.exitCode(), 1);
    EXPECT_TRUE(first.running());

    m.close();
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(m.questions(), 1);  // one first showing per run
}

TEST(ProgramProcess, OfTwoStartsAtTheSameMomentExactlyOneRuns) {
    ProcessMachine m;
    ProgramRun a(m.machine), b(m.machine);
    ASSERT_TRUE(WaitFor([&] { return !a.running() || !b.running(); }));
    ProgramRun& second = a.running() ? b : a;
    ProgramRun& first = a.running() ? a : b;
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_FALSE(first.waitForLine("loop").isEmpty());
    EXPECT_TRUE(first.running());
    m.close();
    EXPECT_EQ(first.exitCode(), 0);
}

struct StartCase {
    QStringList arguments;
    bool shown;
};

TEST(ProgramProcess, OnlyMinimizedAsTheFirstParameterStartsHidden) {
    const StartCase cases[] = {
        {{"--minimized"}, false},     {{}, true}, {{"--Minimized"}, true}, {{"-dial "}, true},
        {{"x", "--minimized"}, true},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        ProcessMachine m;
        ProgramRun run(m.machine, c.arguments);
        ASSERT_FALSE(run.waitForLine("loop").isEmpty());
        if (c.shown) {
            EXPECT_FALSE(run.waitForLine("painted MainForm").isEmpty());
        }
        m.close();
        EXPECT_EQ(run.exitCode(), 0);
        EXPECT_EQ(run.saw("painted MainForm"), c.shown);
        EXPECT_EQ(m.questions(), c.shown ? 1 : 0);
    }
}

TEST(ProgramProcess, WithoutTheDialUpServiceOneBoxIsShownAndTheProgramEndsWithZero) {
    ProcessMachine m(false, "1\n");
    ProgramRun run(m.machine);
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_FALSE(run.saw("painted"));
    std::vector<LoggedBox> shown;
    for (const LoggedBox& b : LoggedBoxes(m.machine))
        if (WasShown(b)) shown.push_back(b);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text,
              "Não foi possível ler o arquivo RASAPI32.DLL, certifique-se de que o Acesso à Rede Dial-Up esteja "
              "instalado e atualizado."_a);
    EXPECT_EQ(shown[0].answer, IDOK);
}
}  // namespace
