// The skinned window: its outline and zones, the pictures it paints, the connect button's
// four states with the hover redraw, and dragging.
#include "support/app/MainFormCase.h"

#include "connection/Dialer.h"

#include <QEvent>
#include <QRegion>
#include <QWidget>

namespace {
using SkinCase = MainFormCase;

TEST(SkinGeometry, OutlineAndZonesAreTheSkinsPolygons) {
    EXPECT_EQ(CorvalaOutline().size(), 79u);
    ASSERT_EQ(CorvalaZones().size(), 6u);
    EXPECT_EQ(CorvalaOutline().front().x, 94);
    EXPECT_EQ(CorvalaOutline().back().y, 4);
    TSkinRegions skin(CorvalaOutline(), CorvalaZones());
    struct Probe {
        int x, y;
        TSkinZone zone;
        bool inWindow;
    };
    const Probe probes[] = {
        {90, 85, szInert, true},           // the emblem's middle
        {180, 40, szMinimise, true},       // the "x"
        {195, 68, szMinimise, true},       // the "-"
        {205, 90, szHelp, true},           // the "?"
        {300, 268, szConnect, true},       // the button
        {217, 256, szConnect, true},       // its top-left corner
        {373, 279, szConnect, true},       // its bottom-right corner
        {375, 268, szNone, true},          // just right of it
        {150, 265, szOtherEdition, true},  // the conventional-line caption
        {300, 120, szNone, true},          // the skin between the zones
        {450, 200, szNone, true},
        {0, 0, szNone, false},  // the corners are cut away
        {513, 0, szNone, false},
        {0, 288, szNone, false},
        {420, 100, szNone, false},  // the notch in the top edge
        {94, 3, szNone, true},
        {500, 200, szNone, true},
        {509, 200, szNone, false},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(skin.ZoneAt(p.x, p.y), p.zone) << p.x << "," << p.y;
        EXPECT_EQ(skin.InOutline(p.x, p.y), p.inWindow) << p.x << "," << p.y;
    }
}

TEST(SkinGeometry, WhereZonesOverlapTheFirstGivenWins) {
    std::vector<TPoint> square = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    std::vector<TPoint> inner = {{20, 20}, {60, 20}, {60, 60}, {20, 60}};
    TSkinRegions helpFirst(square, {{szHelp, inner}, {szConnect, square}});
    TSkinRegions connectFirst(square, {{szConnect, square}, {szHelp, inner}});
    EXPECT_EQ(helpFirst.ZoneAt(40, 40), szHelp);
    EXPECT_EQ(connectFirst.ZoneAt(40, 40), szConnect);
    EXPECT_EQ(helpFirst.ZoneAt(80, 80), szConnect);
}

TEST(SkinGeometry, ASelfCrossingOutlineIsFilledEvenOdd) {
    // A pentagram: its middle crosses the outline twice and is outside when filled even-odd.
    std::vector<TPoint> star = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    TSkinRegions skin(star, {});
    EXPECT_FALSE(skin.InOutline(50, 50));
    EXPECT_TRUE(skin.InOutline(50, 10));
}

TEST_F(SkinCase, TheWindowIsTheSkinsSizeCutToItsOutlineAndCaptionedWithTheTitle) {
    StartProgram();
    EXPECT_EQ(MainForm->Width(), 514);
    EXPECT_EQ(MainForm->Height(), 289);
    EXPECT_EQ(MainForm->Caption(), "Ruvozava Corvala");
    EXPECT_EQ(MainForm->BorderStyle(), bsNone);
    QRegion mask = window()->mask();
    EXPECT_TRUE(mask.contains(QPoint(300, 120)));
    EXPECT_TRUE(mask.contains(QPoint(90, 85)));
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(513, 0)));
    EXPECT_FALSE(mask.contains(QPoint(420, 100)));
}

TEST_F(SkinCase, TheProgramsOwnPicturesAreLoadedByName) {
    TestMainForm::realPictures = true;
    StartProgram();
    // Skin and idle button as the program draws them: compare with the pictures themselves.
    TBitmap skin, button;
    skin.LoadFromResourceName("BMP1");
    button.LoadFromResourceName("BMPCONOFF");
    ASSERT_EQ(skin.Width(), 514);
    ASSERT_EQ(button.Width(), 155);
    EXPECT_EQ(paintedAt(300, 120), RgbToColor(skin.Image().pixel(300, 120) & 0xFFFFFF));
    EXPECT_EQ(paintedAt(222 + 100, 256 + 12), RgbToColor(button.Image().pixel(100, 12) & 0xFFFFFF));
}

TEST_F(SkinCase, TheButtonShowsOnePictureForEachStateAndCursor) {
    writeScript("dial hang\n");
    StartProgram();
    EXPECT_EQ(paintedAt(10 + 94, 10), kSkinColour);
    EXPECT_EQ(paintedAt(222, 256), kConOffColour);
    EXPECT_EQ(paintedAt(376, 280), kConOffColour);
    EXPECT_EQ(paintedAt(221, 256), kSkinColour);
    move(300, 268);
    EXPECT_TRUE(MainForm->OverButton());
    EXPECT_EQ(paintedAt(300, 268), kConOnColour);
    // Dialing: the hang-up pictures.
    key(Qt::Key_Return);
    ASSERT_TRUE(Dialer->IsDialing());
    EXPECT_EQ(paintedAt(300, 268), kDesOnColour);
    move(300, 120);
    EXPECT_EQ(paintedAt(300, 268), kDesOffColour);
}

TEST_F(SkinCase, TheButtonIsRedrawnAtOnceOnlyWhenTheCursorCrossesItsBorder) {
    StartProgram();
    paintedAt(0, 0);
    auto buttonPixel = [] { return RgbToColor(MainForm->Backing().pixel(300, 268) & 0xFFFFFF); };
    // A mark on the window's picture shows whether the move drew the button.
    MainForm->Canvas()->FillRect(222, 256, 377, 281, clWhite);
    move(290, 250);  // outside, as before
    EXPECT_EQ(buttonPixel(), clWhite);
    move(300, 268);  // crosses in
    EXPECT_EQ(buttonPixel(), kConOnColour);
    MainForm->Canvas()->FillRect(222, 256, 377, 281, clWhite);
    move(310, 270);  // stays inside
    EXPECT_EQ(buttonPixel(), clWhite);
    move(380, 270);  // crosses out
    EXPECT_EQ(buttonPixel(), kConOffColour);
}

TEST_F(SkinCase, TheCursorIsAHandOverEveryZone) {
    StartProgram();
    const std::pair<QPoint, TCursor> cases[] = {
        {{90, 85}, crHandPoint},   {{180, 40}, crHandPoint},  {{195, 68}, crHandPoint}, {{205, 90}, crHandPoint},
        {{300, 268}, crHandPoint}, {{150, 265}, crHandPoint}, {{300, 120}, crDefault},
    };
    for (auto& [p, cursor] : cases) {
        move(p.x(), p.y());
        EXPECT_EQ(MainForm->Cursor(), cursor) << p.x() << "," << p.y();
    }
}

TEST_F(SkinCase, APressOutsideTheZonesDragsTheWindowAndItsReleaseDoesNothing) {
    writeScript("dial hang\n");
    StartProgram();
    MainForm->SetBounds(100, 80, MainForm->Width(), MainForm->Height());
    QPoint start = window()->pos() + QPoint(300, 120);
    mouseAtScreen(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(MainForm->Dragging());
    mouseAtScreen(QEvent::MouseMove, start + QPoint(40, 25), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(MainForm->Left(), 140);
    EXPECT_EQ(MainForm->Top(), 105);
    mouseAtScreen(QEvent::MouseMove, start + QPoint(-30, 10), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(MainForm->Left(), 70);
    EXPECT_EQ(MainForm->Top(), 90);
    // Released over the connect zone: the drag ends, nothing is dialled.
    QPoint overButton = window()->pos() + QPoint(300, 268);
    mouseAtScreen(QEvent::MouseMove, overButton, Qt::NoButton, Qt::LeftButton);
    mouseAtScreen(QEvent::MouseButtonRelease, overButton, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(MainForm->Dragging());
    EXPECT_FALSE(Dialer->IsDialing());
    EXPECT_EQ(sim->Dials(), 0u);
    // Moving on does not move the window any more.
    int left = MainForm->Left();
    move(200, 150);
    EXPECT_EQ(MainForm->Left(), left);
}

TEST_F(SkinCase, APressInAZoneDoesNotDragAndTheReleaseChoosesTheCommand) {
    writeScript("dial hang\n");
    StartProgram();
    int left = MainForm->Left();
    press(205, 90);  // the help zone
    EXPECT_FALSE(MainForm->Dragging());
    move(300, 268);
    EXPECT_EQ(MainForm->Left(), left);
    release(300, 268);  // released over the button: connect, not help
    EXPECT_TRUE(Dialer->IsDialing());
    EXPECT_TRUE(ShellLog().empty());
    EXPECT_EQ(MainForm->State(), 3);
}

TEST_F(SkinCase, OnlyTheLeftButtonCounts) {
    writeScript("dial hang\n");
    StartProgram();
    press(300, 120, Qt::RightButton);
    EXPECT_FALSE(MainForm->Dragging());
    click(300, 268);
    EXPECT_TRUE(Dialer->IsDialing());
    press(300, 268, Qt::RightButton);
    release(300, 268, Qt::RightButton);
    EXPECT_TRUE(Dialer->IsDialing());
}
}  // namespace
