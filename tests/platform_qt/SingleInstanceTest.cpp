#include "QtCase.h"

#include "platform/Dialogs.h"
#include "platform/qt/SingleInstance.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>

namespace {
using SingleInstanceCase = QtCase;

// A start of the helper program on a given machine; killed at the end if still running.
class Start {
public:
    Start(const std::string& machineDir, const QString& mode = "start") {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VYN_MACHINE_DIR", QString::fromStdString(machineDir));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        proc_.setProcessEnvironment(env);
        proc_.start(VYN_INSTANCE_HELPER, {mode});
    }
    ~Start() {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.kill();
            proc_.waitForFinished(10000);
        }
    }
    // Waits (on the process's output, within a bound) for one of `wanted`; the one seen or "".
    QString waitFor(const QStringList& wanted, int ms = 20000) {
        QDeadlineTimer deadline(ms);
        for (;;) {
            for (const QString& l : lines_)
                if (wanted.contains(l)) return l;
            if (!proc_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
                read();
                for (const QString& l : lines_)
                    if (wanted.contains(l)) return l;
                return "";
            }
            read();
        }
    }
    bool waitFor(const QString& line) { return waitFor(QStringList{line}) == line; }
    int exitCode() {
        if (!proc_.waitForFinished(20000)) return -1;
        read();
        return proc_.exitStatus() == QProcess::NormalExit ? proc_.exitCode() : -2;
    }
    bool running() const { return proc_.state() == QProcess::Running; }
    void go() { proc_.write("go\n"); }
    void kill() {
        proc_.kill();  // SIGKILL: nothing of the process gets to clean up
        proc_.waitForFinished(10000);
    }
    const QStringList& lines() const { return lines_; }

private:
    void read() {
        buffer_ += proc_.readAllStandardOutput();
        while (buffer_.contains('\n')) {
            int n = buffer_.indexOf('\n');
            lines_ << QString::fromUtf8(buffer_.left(n));
            buffer_.remove(0, n + 1);
        }
    }
    QProcess proc_;
    QByteArray buffer_;
    QStringList lines_;
};

TEST_F(SingleInstanceCase, ASecondStartWakesTheFirstAndAfterAKillANewStartRuns) {
    Start first(machine.dir());
    ASSERT_TRUE(first.waitFor("running"));
    Start second(machine.dir());
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.lines().contains("second"));
    EXPECT_FALSE(second.lines().contains("shown"));
    EXPECT_TRUE(first.waitFor("dispatch 33169 0 0"));
    EXPECT_TRUE(first.running());

    first.kill();
    Start third(machine.dir());
    ASSERT_TRUE(third.waitFor("running"));
    Start fourth(machine.dir());
    EXPECT_EQ(fourth.exitCode(), 1);
    EXPECT_TRUE(third.waitFor("dispatch 33169 0 0"));
}

TEST_F(SingleInstanceCase, TwoStartsAtTheSameMomentLeaveOneRunning) {
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        Start a(machine.dir(), "wait-start"), b(machine.dir(), "wait-start");
        ASSERT_TRUE(a.waitFor("waiting"));
        ASSERT_TRUE(b.waitFor("waiting"));
        a.go();
        b.go();
        QString ra = a.waitFor({"running", "second"});
        QString rb = b.waitFor({"running", "second"});
        EXPECT_EQ(QStringList({ra, rb}).count("running"), 1);
        EXPECT_EQ(QStringList({ra, rb}).count("second"), 1);
        Start& loser = ra == "second" ? a : b;
        Start& winner = ra == "second" ? b : a;
        EXPECT_EQ(loser.exitCode(), 1);
        EXPECT_TRUE(winner.running());
    }
}

TEST_F(SingleInstanceCase, OtherMachinesDoNotMeet) {
    QTemporaryDir otherMachine;
    Start here(machine.dir()), there(otherMachine.path().toStdString());
    EXPECT_TRUE(here.waitFor("running"));
    EXPECT_TRUE(there.waitFor("running"));
}

TEST_F(SingleInstanceCase, TheHolderHandsMessagesToItsMainForm) {
    CountingForm* main = nullptr;
    Application->CreateForm(main);
    EXPECT_FALSE(PostToInstance("Vyn teste", 0x8191, 0, 0));  // nobody holds it yet
    ASSERT_TRUE(AcquireInstance("Vyn teste"));
    EXPECT_TRUE(AcquireInstance("Vyn teste"));
    ASSERT_TRUE(PostToInstance("Vyn teste", 0x8191, 7, -8));
    ASSERT_TRUE(PumpUntil([&] { return main->messages.size() == 1; }));
    EXPECT_EQ(main->messages[0].WParam, 7u);
    EXPECT_EQ(main->messages[0].LParam, -8);
    ReleaseInstance("Vyn teste");
    EXPECT_FALSE(PostToInstance("Vyn teste", 0x8191, 0, 0));
}

TEST_F(SingleInstanceCase, AFatalErrorDuringStartUpShowsOneBoxAndEndsWithZero) {
    machine.writeMachineFile("message-answers.txt", "1\n");
    Start start(machine.dir(), "fatal-start");
    EXPECT_EQ(start.exitCode(), 0);
    EXPECT_EQ(start.lines(), (QStringList{"second box 2", "ended"}));
    auto boxes = RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Não foi possível ler o arquivo RASAPI32.DLL"_a);
    EXPECT_EQ(boxes[1].text, "segunda");
}
}  // namespace

namespace {
TEST_F(SingleInstanceCase, AskingWhetherANameIsHeldSendsNothingAndKeepsNothing) {
    const AnsiString kTitle = "Ruvozava Corvala";
    EXPECT_FALSE(InstanceRunning(kTitle));
    Start first(machine.dir());
    ASSERT_TRUE(first.waitFor("running"));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(InstanceRunning(kTitle));
    // Only the message posted after the questions arrives.
    ASSERT_TRUE(PostToInstance(kTitle, 0x8191, 7, 0));
    EXPECT_TRUE(first.waitFor("dispatch 33169 7 0"));
    EXPECT_EQ(first.lines().filter("dispatch").size(), 1);

    // Once the holder is gone the name is free at once: the questions hold nothing.
    first.kill();
    EXPECT_FALSE(InstanceRunning(kTitle));
    Start next(machine.dir());
    EXPECT_TRUE(next.waitFor("running"));
}
}  // namespace
