// Brenwick's main window as it looks: its outline and zones, the hover highlights with the
// timer that clears them, the panels and their controls, and its own pictures.
#include "BrenwickCase.h"

#include "platform/qt/ComboBox.h"

#include <QPixmap>
#include <QTest>
#include <filesystem>

namespace {
TEST(ConventionalSkin, OneMoreOutlinePointAndSevenZonesInTheirOrder) {
    const auto& outline = ConventionalOutline();
    ASSERT_EQ(outline.size(), 80u);
    EXPECT_EQ(std::make_tuple(outline[18].x, outline[18].y, outline[19].x, outline[19].y, outline[20].x, outline[20].y),
              std::make_tuple(313, 75, 323, 83, 329, 79));
    ASSERT_EQ(ConventionalZones().size(), 7u);
    TSkinRegions skin(outline, ConventionalZones());
    const struct {
        int x, y;
        TSkinZone zone;
    } probes[] = {
        {90, 85, szInert},        {180, 40, szMinimise}, {195, 68, szMinimise},  {205, 90, szHelp},
        {280, 90, szSettings},    {370, 110, szNewUser}, {150, 265, szOtherEdition},
        {300, 268, szNone},       // no connect button in this edition
        {300, 150, szNone},       {260, 130, szNone},
    };
    for (auto& p : probes) EXPECT_EQ(skin.ZoneAt(p.x, p.y), p.zone) << p.x << "," << p.y;
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
    auto spots = [&] { return std::pair(drawnAt(settingsSpot.x, settingsSpot.y), drawnAt(newUserSpot.x, newUserSpot.y)); };
    // Moves: each crossing redraws at once, in the highlight or in the skin behind it.
    for (auto [x, y, settings, newUser, cursor] :
         {std::tuple(280, 90, kSettingsColour, kSkinColour, crHandPoint),
          std::tuple(370, 110, kSkinColour, kNewUserColour, crHandPoint),
          std::tuple(90, 85, kSkinColour, kSkinColour, crHandPoint), std::tuple(300, 200, kSkinColour, kSkinColour, crDefault)}) {
        move(x, y);
        EXPECT_EQ(spots(), std::pair(settings, newUser)) << x;
        EXPECT_EQ(std::pair(W()->OverSettings(), W()->OverNewUser()), std::pair(settings != kSkinColour, newUser != kSkinColour));
        EXPECT_EQ(MainForm->Cursor(), cursor) << x;
    }

    // The timer: where the cursor is at its tick decides.
    const struct {
        int x, y;
        bool cleared;
    } rule[] = {
        {-1, 100, true},  {100, -1, true},  {216, 45, true},  {215, 45, false}, {216, 46, false},
        {323, 72, true},  {322, 72, false}, {323, 73, false}, {600, 300, false}, {370, 110, false},
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
    machine.writeProgramFile("Mirvane.ini", "[Principal]\r\nEstado=SP\r\nCidade=Campinas\r\n"
                                            "[Usuarios]\r\nUsuario00=maria\r\nUsuario01=joana\r\n");
    StartProgram();
    TMainForm* f = MainForm;
    const std::vector<TControl*> login = {f->Label2, f->Label3, f->ComboBoxLogin, f->Label8,
                                          f->Label7, f->EditSenha, f->LabelDialDiscar, f->Label9};
    const std::vector<TControl*> status = {f->Memo1, f->Label10, f->Label11};
    const std::vector<TControl*> welcome = {f->ImageJaSouUsuario, f->ImageSouNovo};
    auto shownOf = [](const std::vector<TControl*>& cs) {
        int n = 0;
        for (TControl* c : cs) n += c->Visible();
        return n;
    };
    for (auto [state, l, s, w] : {std::tuple(1, 8, 0, 0), std::tuple(3, 0, 3, 0), std::tuple(4, 0, 0, 2),
                                  std::tuple(1, 8, 0, 0)}) {
        f->EditSenha->SetText("segredo");
        f->SetPanel(state);
        EXPECT_EQ(std::tuple(shownOf(login), shownOf(status), shownOf(welcome)), std::tuple(l, s, w)) << state;
        if (state == 1) {
            EXPECT_EQ(f->EditSenha->Text(), "");
            EXPECT_TRUE(f->ComboBoxLogin->Focused());
            EXPECT_EQ(f->ComboBoxLogin->Items()->Count(), 2);
            EXPECT_EQ(f->ComboBoxLogin->Items()->IndexOf("maria") + f->ComboBoxLogin->Items()->IndexOf("joana"), 1);
        }
    }
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
    ASSERT_EQ(std::pair(skin.Width(), skin.Height()), std::pair(514, 289));
    ASSERT_EQ(std::pair(settings.Width(), settings.Height()), std::pair(92, 34));
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
} // namespace
