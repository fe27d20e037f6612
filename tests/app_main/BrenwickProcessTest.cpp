// Brenwick.exe (and its other names) as processes: which name each start runs under, which
// forms it shows (the banner's picture kept), second starts, a banner beside the dialer.
#include "ProgramRun.h"

#include "app/Main.h"
#include "platform/qt/SingleInstance.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {
const AnsiString kDialer = "MirvaneRoaming.exe";
const AnsiString kBanner = "VynBanner";

// One modem, a destination state stored (the program counts as configured), every
// question answered no, and both programs installed under all their names.
struct BrenwickMachine {
    TempMachine machine;
    BrenwickMachine() {
        machine.writeMachineFile("devices.txt", "modem\tModem Padr\xC3\xA3o 56K\n");
        machine.writeMachineFile("dial-script.txt", "dial hang\n");
        machine.writeMachineFile("message-answers.txt", "7\n7\n7\n7\n");
        const std::string ini = "[Principal]\r\nEstado=SP\r\nModem=Modem Padr\xE3o 56K\r\n";
        machine.writeProgramFile("Mirvane.ini", ini);
        machine.writeProgramFile("Brenwick.ini", ini);
        InstallProgram(machine, true, {"Brenwick.exe", "MirvaneRoaming.exe", "Mirvane.exe", "Quorvelt.exe"});
    }
    static void close(const AnsiString& name) { PostToInstance(name, WM_CLOSE, 0, 0); }
};

TEST(BrenwickProcess, OnlyBannerAsTheFirstParameterMakesTheBannerAloneUnderItsOwnName) {
    const struct {
        QStringList arguments;
        const char* program;
        AnsiString name;
        const char* painted;  // the form shown, or none
    } cases[] = {
        {{"--banner"}, "Brenwick.exe", kBanner, "painted Banner"},
        {{}, "Brenwick.exe", kDialer, "painted MainForm"},
        {{"-dial "}, "MirvaneRoaming.exe", kDialer, "painted MainForm"},
        {{"x", "--banner"}, "Brenwick.exe", kDialer, "painted MainForm"},
        {{"--minimized"}, "Brenwick.exe", kDialer, nullptr},
        {{"--minimized", "--banner"}, "MirvaneRoaming.exe", kDialer, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program + (" " + c.arguments.join(' ').toStdString()));
        BrenwickMachine m;
        const std::string snapshot = m.machine.dir() + "/snapshots/Banner.png";
        if (c.name == kBanner) fs::create_directories(m.machine.dir() + "/snapshots");
        ProgramRun run(m.machine, c.arguments, c.program);
        ASSERT_FALSE(run.waitForLine("loop").isEmpty());
        if (c.painted) {
            EXPECT_FALSE(run.waitForLine(c.painted).isEmpty());
        }
        if (c.name == kBanner) {
            // The banner's picture, kept with the test output.
            ASSERT_TRUE(WaitFor([&] { return fs::exists(snapshot); }));
            EXPECT_EQ(QImage(QString::fromStdString(snapshot)).size(), QSize(168, 139));  // with its 2-pixel border
            fs::copy_file(snapshot, fs::read_symlink("/proc/self/exe").parent_path() / "brenwick-banner.png",
                          fs::copy_options::overwrite_existing);
        }
        EXPECT_TRUE(InstanceRunning(c.name));
        EXPECT_FALSE(InstanceRunning(c.name == kBanner ? kDialer : kBanner));
        EXPECT_FALSE(InstanceRunning(kProgramTitle));
        m.close(c.name);
        EXPECT_EQ(run.exitCode(), 0);
        EXPECT_EQ(run.saw("painted MainForm"), c.painted && c.name == kDialer);
        EXPECT_EQ(run.saw("painted Banner"), c.name == kBanner);
    }
}

TEST(BrenwickProcess, SecondStartsOfEachModeEndWithOneWhileTheBannerAndTheDialerRunSideBySide) {
    BrenwickMachine m;
    ProgramRun banner(m.machine, {"--banner"}, "Brenwick.exe");
    ASSERT_FALSE(banner.waitForLine("painted Banner").isEmpty());

    // A normal start while only the banner runs: the dialer, hidden here.
    ProgramRun dialer(m.machine, {"--minimized"}, "MirvaneRoaming.exe");
    ASSERT_FALSE(dialer.waitForLine("loop").isEmpty());
    EXPECT_FALSE(dialer.saw("painted MainForm"));

    // A second normal start brings the running dialer forward: its window comes up,
    // although its caption is not the name it runs under.
    ProgramRun second(m.machine, {}, "Brenwick.exe");
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_FALSE(second.saw("painted"));
    EXPECT_FALSE(dialer.waitForLine("painted MainForm").isEmpty());

    ProgramRun secondBanner(m.machine, {"--banner"}, "Brenwick.exe");
    EXPECT_EQ(secondBanner.exitCode(), 1);
    EXPECT_FALSE(secondBanner.saw("painted"));
    EXPECT_TRUE(banner.running());
    EXPECT_TRUE(dialer.running());

    m.close(kDialer);
    m.close(kBanner);
    EXPECT_EQ(dialer.exitCode(), 0);
    EXPECT_EQ(banner.exitCode(), 0);
}
}  // namespace
