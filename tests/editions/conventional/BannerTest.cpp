// Brenwick's banner in process on the test clock: where it sits, its minute of 200 ms ticks,
// the close corner, and the hand-over to a dialer either way.
#include "app/Main.h"
#include "editions/conventional/Frmbottombanner.h"
#include "platform/ShellApi.h"
#include "platform/qt/ClassLibrary.h"
#include "platform/qt/Screen.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/WinUser.h"
#include "platform/registry/RegistryStore.h"
#include "support/TempMachine.h"
#include "support/qt/PumpUntil.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Counts the come-forward messages the process's main form (the banner) receives.
class CountingBanner : public TBanner {
public:
    explicit CountingBanner(TComponent* owner) : TBanner(owner) {}
    void Dispatch(TMessage& m) override {
        if (m.Msg == WM_ACTIVATEINSTANCE) ++activations;
        TBanner::Dispatch(m);
    }
    int activations = 0;
};

class BannerCase : public ::testing::Test {
protected:
    BannerCase() {
        Screen->SetWorkArea(0, 0, 1024, 740);
        SetWindowCallRecorder([this](const AnsiString& call, HWND, int flags) {
            if (call.rfind("SetWindowPos", 0) == 0) raises.push_back(call + " " + std::to_string(flags));
        });
    }
    ~BannerCase() override {
        ReleaseApplicationForms();
        SetWindowCallRecorder(nullptr);
        Screen->ResetWorkArea();
        Application->ResetTerminated();
        Application->SetTitle("");
        QCoreApplication::processEvents();
    }
    // The banner made as the "--banner" start makes it, then shown.
    CountingBanner* Start() {
        Application->CreateForm<CountingBanner>(Banner);
        Banner->SetVisible(true);
        return static_cast<CountingBanner*>(Banner);
    }
    // A left click at client coordinates; a press only with another button.
    static void ClickAt(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QPoint p(x + Banner->BorderWidth(), y + Banner->BorderWidth());
        if (button == Qt::LeftButton) QTest::mouseClick(Banner->Widget(), button, {}, p);
        else QTest::mousePress(Banner->Widget(), button, {}, p);
    }
    // Moves the clock on in ticks until the banner ends (at most `limit` ticks); the ticks.
    int TicksToEnd(int limit = 400) {
        for (int n = 1; n <= limit; ++n) {
            machine.clock.Advance(200);
            if (Application->Terminated()) return n;
        }
        return -1;
    }
    std::vector<AnsiString> Starts() const {
        std::vector<AnsiString> out;
        for (const ShellCall& c : RecordedShellCalls())
            if (c.operation == "open") out.push_back(c.file + "|" + c.parameters);
        return out;
    }
    AnsiString Exe() const { return Utf8ToAnsi(machine.path("Brenwick.exe")); }

    TempMachine machine{"Brenwick.exe"};
    std::vector<AnsiString> raises;
};

TEST_F(BannerCase, SitsOnePixelInsideTheWorkAreasTopRightCornerAndStaysOnTopWithoutBorderIcons) {
    const struct {
        int left, top, width, height;
        int bannerLeft, bannerTop;
    } cases[] = {
        {0, 0, 1024, 740, 1024 - 168 - 1, 1},
        {100, 30, 800, 570, 100 + 800 - 168 - 1, 31},
    };
    for (const auto& c : cases) {
        Screen->SetWorkArea(c.left, c.top, c.width, c.height);
        TBanner* b = Start();
        EXPECT_EQ(
            std::vector<int>({b->Left(), b->Top(), b->Width(), b->Height(), b->ClientWidth(), b->ClientHeight()}),
            std::vector<int>({c.bannerLeft, c.bannerTop, 168, 139, 164, 135}));
        EXPECT_EQ(b->Caption(), "VynBanner");
        QCoreApplication::processEvents();
        Qt::WindowFlags f = b->Widget()->windowFlags();
        EXPECT_TRUE(f.testFlag(Qt::WindowStaysOnTopHint) && f.testFlag(Qt::FramelessWindowHint));
        EXPECT_TRUE(b->TimerAnim->Enabled() && b->TimerAnim->Interval() == 200u);
        ReleaseApplicationForms();
    }
}

// Which records are kept is RegisterDialerPath's (Registravyn's tests); the banner's start makes one.
TEST_F(BannerCase, RecordsItsDialerWhereNoProgramIsRecorded) {
    Start();
    RegValue v;
    ASSERT_TRUE(GetMachineRegistryValue(RegRoot::CurrentUser, "Software\\Vyn\\Ruvozava", "discadorbinary", v));
    EXPECT_EQ(v.data, Utf8ToAnsi(machine.path("MirvaneRoaming.exe")) + std::string(1, '\0'));
}

TEST_F(BannerCase, UnclickedItLiftsItselfEveryTickAndEndsAtTheThreeHundredAndFirstStartingTheDialerHidden) {
    TBanner* b = Start();
    for (int tick = 1; tick <= 300; ++tick) machine.clock.Advance(200);
    EXPECT_EQ(TBanner::TimeLeft(), 0);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_TRUE(Starts().empty());
    ASSERT_EQ(raises.size(), 600u);
    for (std::size_t i = 0; i < raises.size(); ++i)
        ASSERT_EQ(raises[i], i % 2 ? "SetWindowPos TOPMOST 19" : "SetWindowPos NOTOPMOST 19") << i;
    QCoreApplication::processEvents();
    EXPECT_TRUE(b->Widget()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));  // the lift never drops it

    machine.clock.Advance(200);  // the 301st
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(b->TimerAnim->Enabled());
    EXPECT_EQ(raises.size(), 600u);
    EXPECT_EQ(Starts(), std::vector<AnsiString>{Exe() + "|--minimized"});
}

TEST_F(BannerCase, TheCloseCornerEndsItHiddenTheRestOfThePictureStartsTheDialer) {
    const struct {
        int x, y;
        bool corner;
    } cases[] = {
        {164 - 15, 15, true},  {163, 0, true}, {164 - 16, 15, false},
        {164 - 15, 16, false}, {0, 0, false},  {80, 120, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        TBanner* b = Start();
        machine.clock.Advance(1000);
        ClickAt(c.x, c.y);
        EXPECT_EQ(TBanner::TimeLeft(), c.corner ? 100 : 200);
        EXPECT_EQ(b->Clicked(), !c.corner);
        // The dialer with its window at once after a click; a corner starts nothing yet.
        EXPECT_EQ(Starts(), c.corner ? std::vector<AnsiString>{} : std::vector<AnsiString>{Exe() + "|"});
        EXPECT_EQ(TicksToEnd(), 2);
        EXPECT_EQ(Starts(), std::vector<AnsiString>{Exe() + (c.corner ? "|--minimized" : "|")});
        ReleaseApplicationForms();
        Application->ResetTerminated();
        machine.writeMachineFile("shell.log", "");
    }
}

TEST_F(BannerCase, AClickThenTheCornerStartsNothingMoreAndARightPressOnlyMovesThePoint) {
    TBanner* b = Start();
    ClickAt(10, 100, Qt::RightButton);
    EXPECT_EQ(TBanner::TimeLeft(), 60000);  // no click
    EXPECT_FALSE(b->Clicked());

    ClickAt(80, 100);
    ClickAt(163, 0);
    EXPECT_EQ(TBanner::TimeLeft(), 100);
    EXPECT_EQ(TicksToEnd(), 2);
    EXPECT_EQ(Starts(), std::vector<AnsiString>{Exe() + "|"});
}

TEST_F(BannerCase, AClickWhileMirvaneRunsBringsItForwardThreeTimesAndStartsNothing) {
    // This process holds Mirvane's name, so the banner (its main form) gets the messages.
    ASSERT_TRUE(AcquireInstance(kProgramTitle));
    CountingBanner* b = Start();
    ClickAt(40, 60);
    EXPECT_EQ(Application->Title(), "_");
    EXPECT_TRUE(PumpUntil([&] { return b->activations == 3; }));
    EXPECT_EQ(TicksToEnd(), 2);
    EXPECT_TRUE(Starts().empty());
    EXPECT_EQ(b->activations, 3);
    ReleaseInstance(kProgramTitle);
    EXPECT_FALSE(InstanceRunning(kProgramTitle));
}

}  // namespace
