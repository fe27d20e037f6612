// A start whose service objects cannot be made: the error is told once, nothing is shown
// and the program ends as a normal end does, in process and as the program itself.
#include "support/app/MainFormCase.h"
#include "ProgramRun.h"

#include "app/Discddd.h"
#include "app/Frmconfig.h"
#include "app/Msgdlg.h"
#include "platform/Application.h"
#include "settings/Conf.h"

#include <string>

namespace {
const AnsiString kUnknownWindows = "windows.txt of the simulated machine names no known Windows";

// What the machine's windows.txt holds: a version no one knows, or binary bytes.
const std::string kBadWindowsFiles[] = {"Windows 3000\n", std::string("\x7f"
                                                                      "ELF\x02\x01\x01\0\0\0\n",
                                                                      11)};

class StartFailureCase : public MainFormCase, public ::testing::WithParamInterface<std::string> {};

TEST_P(StartFailureCase, TheErrorIsToldOnceAndNothingMissingIsReached) {
    ASSERT_NO_FATAL_FAILURE(OpenService());
    machine.writeMachineFile("windows.txt", GetParam());
    Application->SetTitle(kProgramTitle);
    TestMainForm* main = nullptr;
    Application->CreateForm(main);
    MainForm = main;
    Application->CreateForm(MsgDialog);
    Application->CreateForm(frmDiscDDD);
    Application->CreateForm(FormConfig);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(MainForm->ServicesMade());
    EXPECT_EQ(Conf, nullptr);
    std::vector<MessageBoxRequest> shown = boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.rfind(kUnknownWindows, 0), 0u) << shown[0].text;
    EXPECT_EQ(shown[0].caption, kProgramTitle);
    // What could still reach the window: its showing, a restore from the tray, the close.
    MainForm->SetVisible(true);
    MainForm->TrayIcon1Restore(nullptr);
    MainForm->SetPanel(3);
    bool canClose = false;
    MainForm->FormCloseQuery(MainForm, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_FALSE(MainForm->Shown());
    EXPECT_EQ(boxes().size(), 1u);
}
INSTANTIATE_TEST_SUITE_P(BadWindows, StartFailureCase, ::testing::ValuesIn(kBadWindowsFiles));

TEST(StartFailureProcess, TheProgramShowsOneBoxAndEndsWithZero) {
    for (const std::string& windows : kBadWindowsFiles) {
        TempMachine machine;
        machine.writeMachineFile("devices.txt", "modem\tModem Padr\xC3\xA3o 56K\n");
        machine.writeMachineFile("windows.txt", windows);
        machine.writeMachineFile("message-answers.txt", "1\n1\n1\n");
        InstallProgram(machine);
        ProgramRun run(machine);
        EXPECT_EQ(run.exitCode(), 0) << windows;
        EXPECT_FALSE(run.saw("painted")) << windows;
        std::vector<LoggedBox> shown;
        for (const LoggedBox& b : LoggedBoxes(machine))
            if (WasShown(b)) shown.push_back(b);
        ASSERT_EQ(shown.size(), 1u) << windows;
        EXPECT_EQ(shown[0].text.rfind(kUnknownWindows, 0), 0u) << shown[0].text;
    }
}
}  // namespace
