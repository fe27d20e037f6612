// Brenwick's main window as it looks: its outline and zones, the hover highlights with the
// timer that clears them, the panels and their controls, and its own pictures.
#include "BrenwickCase.h"

#include "platform/qt/ComboBox.h"

#include <QPixmap>
#include <QTest>
#include <filesystem>

namespace {
TEST(ConventionalSkin, OneMoreOutlinePointAndSevenZonesInTheirOrder) {
    ASSERT_EQ(ConventionalOutline().size(), 80u);
    TSkinRegions skin(ConventionalOutline(), ConventionalZones());
    // The connect button's place (300,268) is plain skin in this edition.
    for (auto [x, y, zone] : std::initializer_list<std::tuple<int, int, TSkinZone>>{{90, 85, szInert},
                                                                                    {180, 40, szMinimise},
                                                                                    {195, 68, szMinimise},
                                                                                    {205, 90, szHelp},
                                                                                    {280, 90, szSettings},
                                                                                    {370, 110, szNewUser},
                                                                                    {150, 265, szOtherEdition},
                                                                                    {300, 268, szNone},
                                                                                    {260, 130, szNone}})
        EXPECT_EQ(skin.ZoneAt(x, y), zone) << x << "," << y;
    // The extra point pushes the outline's top edge down between (313,75) and (329,79).
    EXPECT_TRUE(TSkinRegions(CorvalaOutline(), {}).InOutline(323, 80));
    EXPECT_FALSE(skin.InOutline(323, 80));
    EXPECT_TRUE(skin.InOutline(323, 85));
}

using BrenwickWindow = BrenwickCase;

TEST_F(BrenwickWindow, HoverDrawsAtOnceAndOnlyTheTimersRuleOrAMoveClearsIt) {
    Configure();
    StartProgram();
    paintedAt(0, 0);
    const TPoint settingsSpot{240, 80}, newUserSpot{350, 100};
    auto spots = [&] {
        return std::pair(drawnAt(settingsSpot.x, settingsSpot.y), drawnAt(newUserSpot.x, newUserSpot.y));
    };
    // Moves: each crossing redraws at once, in the highlight or in the skin behind it.
    for (auto [x, y, settings, newUser, cursor] : {std::tuple(280, 90, kSettingsColour, kSkinColour, crHandPoint),
                                                   std::tuple(370, 110, kSkinColour, kNewUserColour, crHandPoint),
                                                   std::tuple(90, 85, kSkinColour, kSkinColour, crHandPoint),
                                                   std::tuple(300, 200, kSkinColour, kSkinColour, crDefault)}) {
        move(x, y);
        EXPECT_EQ(spots(), std::pair(settings, newUser)) << x;
        EXPECT_EQ(std::pair(W()->OverSettings(), W()->OverNewUser()),
                  std::pair(settings != kSkinColour, newUser != kSkinColour));
        EXPECT_EQ(MainForm->Cursor(), cursor) << x;
    }

    // The timer: where the cursor is at its tick decides.
    const struct {
        int x, y;
        bool cleared;
    } rule[] = {
        {-1, 100, true}, {100, -1, true},  {216, 45, true},  {215, 45, false},  {216, 46, false},
        {323, 72, true}, {322, 72, false}, {323, 73, false}, {600, 300, false}, {370, 110, false},
    };
    for (auto& r : rule) {
        SCOPED_TRACE(std::to_string(r.x) + "," + std::to_string(r.y));
        move(280, 90);
        cursorAt(r.x, r.y);
        EXPECT_TRUE(W()->OverSettings());  // leaving alone clears nothing
        Advance(500);
        EXPECT_EQ(W()->OverSettings(), !r.cleared);
        EXPECT_EQ(drawnAt(settingsSpot.x, settingsSpot.y), r.cleared ? kSkinColour : kSettingsColour);
        EXPECT_EQ(paintedAt(settingsSpot.x, settingsSpot.y), r.cleared ? kSkinColour : kSettingsColour);
    }
    move(370, 110);
    cursorAt(400, 10);
    Advance(500);
    EXPECT_FALSE(W()->OverNewUser());
    EXPECT_EQ(paintedAt(newUserSpot.x, newUserSpot.y), kSkinColour);
}

TEST_F(BrenwickWindow, EachPanelShowsItsOwnControlsOnly) {
    machine.writeProgramFile("Mirvane.ini",
                             "[Principal]\r\nEstado=SP\r\nCidade=Campinas\r\n"
                             "[Usuarios]\r\nUsuario00=maria\r\nUsuario01=joana\r\n");
    StartProgram();
    TMainForm* f = MainForm;
    const std::vector<TControl*> panels[] = {
        {f->Label2, f->Label3, f->ComboBoxLogin, f->Label8, f->Label7, f->EditSenha, f->LabelDialDiscar, f->Label9},
        {f->Memo1, f->Label10, f->Label11},
        {f->ImageJaSouUsuario, f->ImageSouNovo}};
    for (auto [state, shown] : std::initializer_list<std::pair<int, int>>{{1, 0}, {3, 1}, {4, 2}, {1, 0}}) {
        f->EditSenha->SetText("segredo");
        f->SetPanel(state);
        for (int i = 0; i < 3; ++i)
            for (TControl* c : panels[i]) EXPECT_EQ(c->Visible(), i == shown) << state << " " << c->Name();
    }
    EXPECT_EQ(f->EditSenha->Text(), "");
    EXPECT_TRUE(f->ComboBoxLogin->Focused());
    EXPECT_EQ(f->ComboBoxLogin->Items()->Count(), 2);
    // What the user types stops at the limits.
    f->ComboBoxLogin->SetText("");
    f->EditSenha->SetText("");
    QTest::keyClicks(f->ComboBoxLogin->Widget(), "um_login_longo_demais");
    QTest::keyClicks(f->EditSenha->Widget(), QString(300, 'x'));
    EXPECT_EQ(f->ComboBoxLogin->Text(), "um_login_longo_d");
    EXPECT_EQ(f->EditSenha->Text().size(), 256u);
    EXPECT_EQ(f->EditSenha->PasswordChar(), '*');
}

TEST_F(BrenwickWindow, ItsOwnPicturesAreDrawnAndTheWindowIsKeptAsAPicture) {
    TestConventionalForm::realPictures = true;
    Configure();
    StartProgram();
    EXPECT_EQ(MainForm->Caption(), "Ruvozava Corvala");
    EXPECT_EQ(MainForm->TrayIcon1->Hint(), "Brenwick");
    TBitmap skin, settings, mirvanes;
    skin.LoadFromResourceName("Conventional/BMP1");
    settings.LoadFromResourceName("Conventional/BMP3");
    mirvanes.LoadFromResourceName("BMP1");
    EXPECT_NE(skin.Image(), mirvanes.Image());
    auto colourOf = [](const TBitmap& b, int x, int y) { return RgbToColor(b.Image().pixel(x, y) & 0xFFFFFF); };
    EXPECT_EQ(paintedAt(300, 150), colourOf(skin, 300, 150));
    move(280, 90);
    EXPECT_EQ(paintedAt(233 + 46, 73 + 17), colourOf(settings, 46, 17));
    move(300, 150);
    // Kept beside the test program, the login panel over the skin.
    MainForm->DeliverPaint();
    auto out = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "brenwick-window.png";
    ASSERT_TRUE(window()->grab().save(QString::fromStdString(out.string())));
}
}  // namespace
