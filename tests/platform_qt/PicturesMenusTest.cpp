// Pictures by resource name, regions and popup menus of the class library.
#include "QtCase.h"

#include "platform/BmpFile.h"
#include "platform/Resources.h"
#include "platform/qt/ImgList.h"
#include "platform/qt/Menus.h"
#include "platform/qt/WinGdi.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace {
using PicturesMenusCase = QtCase;

TEST_F(PicturesMenusCase, EveryPictureTheProgramsCarryReadsAsQtReadsIt) {
    int pictures = 0;
    for (const char* folder : {"/app/res", "/app/res/conventional"}) {
        for (const auto& entry : std::filesystem::directory_iterator(VYN_SOURCE_DIR + std::string(folder))) {
            if (entry.path().extension() != ".bmp") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::string bytes{std::istreambuf_iterator<char>(in), {}};
            QImage ours;
            ASSERT_TRUE(DecodeBmp(bytes, [&](int w, int h) {
                ours = QImage(w, h, QImage::Format_ARGB32);
                return reinterpret_cast<std::uint32_t*>(ours.bits());
            })) << entry.path();
            QImage qts(QString::fromStdString(entry.path().string()));
            ASSERT_FALSE(qts.isNull()) << entry.path();
            EXPECT_EQ(ours, qts.convertToFormat(QImage::Format_ARGB32)) << entry.path();
            ++pictures;
        }
    }
    EXPECT_GE(pictures, 13);
}

TEST_F(PicturesMenusCase, TheSkinIsDrawnFromTheProgramsOwnBytesUntilItIsChanged) {
    std::optional<std::string_view> bytes = FindResource("BMP1");
    ASSERT_TRUE(bytes);
    TBitmap skin;
    skin.LoadFromResourceName("BMP1");
    EXPECT_EQ(skin.Width(), 514);
    EXPECT_EQ(reinterpret_cast<const char*>(std::as_const(skin).Image().constBits()), bytes->data() + 56);
    TBitmap copy = skin;
    TCanvas(&copy.Image(), nullptr).FillRect(0, 0, 10, 10, 0x0000FF);  // red, 0x00BBGGRR
    EXPECT_EQ(copy.Image().pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(reinterpret_cast<const char*>(std::as_const(skin).Image().constBits()), bytes->data() + 56);
}

TEST_F(PicturesMenusCase, BitmapsComeFromTheProgramsResourcesByName) {
    TBitmap fromResource, fromFile;
    fromResource.LoadFromResourceName("bmpst1");  // names ignore case
    fromFile.LoadFromFile(Utf8ToAnsi(VYN_SOURCE_DIR "/app/res/BMPST1.bmp"));
    EXPECT_EQ(fromResource.Width(), 16);
    EXPECT_EQ(fromResource.Height(), 16);
    EXPECT_EQ(fromResource.Image(), fromFile.Image());
    EXPECT_THROW(fromResource.LoadFromResourceName("BMPST9"), EResNotFound);
    EXPECT_THROW(fromResource.LoadFromResourceName("NOTAPICTURE"), EInvalidGraphic);

    // Lime is the tray pictures' mask colour.
    TImageList list(nullptr);
    ASSERT_EQ(list.AddMasked(fromFile, clLime), 0);
    TBitmap masked;
    ASSERT_TRUE(list.GetBitmap(0, masked));
    int lime = 0, cleared = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            lime += (fromFile.Image().pixel(x, y) & 0xFFFFFF) == 0x00FF00;
            cleared += qAlpha(masked.Image().pixel(x, y)) == 0;
        }
    EXPECT_GT(lime, 0);
    EXPECT_EQ(cleared, lime);
}

TEST_F(PicturesMenusCase, PolygonRegionsFollowTheFillRule) {
    // A five-pointed star drawn in one stroke: its middle is crossed twice.
    const TPoint star[] = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    HRGN alternate = CreatePolygonRgn(star, 5, ALTERNATE);
    HRGN winding = CreatePolygonRgn(star, 5, WINDING);
    struct Case {
        int x, y;
        bool alternate, winding;
    };
    const Case cases[] = {
        {50, 50, false, true},   // the middle
        {50, 10, true, true},    // the top point
        {10, 37, true, true},    // the left point
        {5, 80, false, false},   // outside
        {50, 95, false, false},  // between the two lower points
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(PtInRegion(alternate, c.x, c.y), c.alternate);
        EXPECT_EQ(PtInRegion(winding, c.x, c.y), c.winding);
    }
    EXPECT_EQ(CreatePolygonRgn(star, 2, ALTERNATE), nullptr);
    EXPECT_FALSE(PtInRegion(nullptr, 1, 1));
    EXPECT_TRUE(DeleteObject(winding));

    // A window cut to a region keeps it (and frees it when replaced or gone).
    CountingForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 100, 100);
    EXPECT_EQ(SetWindowRgn(form.Handle(), alternate, true), 1);
    EXPECT_FALSE(form.Widget()->mask().contains(QPoint(50, 50)));
    EXPECT_TRUE(form.Widget()->mask().contains(QPoint(50, 10)));
    EXPECT_EQ(SetWindowRgn(form.Handle(), CreateRectRgn(0, 0, 10, 10), true), 1);
    EXPECT_TRUE(form.Widget()->mask().contains(QPoint(9, 9)));
    EXPECT_FALSE(form.Widget()->mask().contains(QPoint(10, 9)));
    EXPECT_EQ(SetWindowRgn(Application->Handle(), nullptr, true), 0);
}

TEST_F(PicturesMenusCase, PopupMenusShowTicksSeparatorsAndSubmenus) {
    CountingForm form(nullptr);
    auto* menu = new TPopupMenu(&form);
    auto item = [&](const char* name, const char* caption) {
        auto* i = new TMenuItem(&form);
        i->SetName(name);
        i->Caption = Utf8ToAnsi(caption);
        return i;
    };
    TMenuItem* check = item("Checagemautomticadeemails1", "Checagem automática de e-mails");
    check->Checked = true;
    TMenuItem* links = item("Links1", "Links");
    TMenuItem* portal = item("PginaInicial1", "Portal Vyn");
    TMenuItem* line = item("N2", "-");
    TMenuItem* quit = item("Desconectar1", "Sair");
    links->Add(portal);
    links->Add(item("Zentel1", "VynSuporte"));
    for (TMenuItem* i : {check, links, line, quit}) menu->Add(i);
    std::vector<TObject*> chosen;
    portal->OnClick = quit->OnClick = [&](TObject* s) { chosen.push_back(s); };

    menu->Popup(10, 10);
    auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(shown, nullptr);
    QList<QAction*> actions = shown->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_TRUE(actions[0]->isCheckable() && actions[0]->isChecked());
    EXPECT_FALSE(actions[3]->isCheckable());
    EXPECT_TRUE(actions[2]->isSeparator());
    ASSERT_NE(actions[1]->menu(), nullptr);
    QList<QAction*> sub = actions[1]->menu()->actions();
    ASSERT_EQ(sub.size(), 2);
    EXPECT_EQ(sub[1]->text().toStdString(), "VynSuporte");
    sub[0]->trigger();
    actions[3]->trigger();
    EXPECT_EQ(chosen, (std::vector<TObject*>{portal, quit}));
    EXPECT_TRUE(check->Checked);  // choosing never ticks: the program does

    // An item freed while the menu is open does nothing when chosen.
    menu->Popup(10, 10);
    shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(shown, nullptr);
    QAction* stale = shown->actions()[1]->menu()->actions()[0];
    delete portal;
    stale->trigger();
    EXPECT_EQ(chosen.size(), 2u);
    EXPECT_EQ(links->Count(), 1);
    shown->close();
}
}  // namespace
