// Draws the programs' pictures and writes them where the build embeds them:
//   MakeArtwork <app folder> [preview folder]
// Into <app folder>/res: 24-bit BMP files (the banner 8-bit with its palette, the skins stored
// top-down), as the forms load them; the conventional-line edition's own ones under
// res/conventional. Into <app folder>/FAQ/imagens: the help page's pictures. The preview
// folder, when given, gets PNG copies and the windows as they show on screen.
#include "Pictures.h"
#include "SkinGeometry.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

namespace {

bool Save(const QImage& img, const QString& path, const char* format) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!img.save(path, format)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), img.width(), img.height());
    return true;
}

// A 24-bit BMP with its rows top first (a negative height), which Qt's writer never makes:
// the programs draw such a picture straight from their own bytes.
bool SaveTopDown(const QImage& img, const QString& path) {
    const QImage rgb = img.convertToFormat(QImage::Format_RGB888);
    const int stride = (rgb.width() * 3 + 3) / 4 * 4;
    // The rows start at 56, two bytes after the header, so that they lie on 4-byte boundaries.
    const quint32 dataAt = 14 + 40 + 2, size = dataAt + quint32(stride) * quint32(rgb.height());
    QByteArray out;
    auto put = [&](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.append(char((v >> (8 * i)) & 0xFF));
    };
    out.append("BM");
    put(size, 4), put(0, 4), put(dataAt, 4);
    put(40, 4), put(quint32(rgb.width()), 4), put(quint32(-rgb.height()), 4), put(1, 2), put(24, 2);
    put(0, 4), put(quint32(stride) * quint32(rgb.height()), 4), put(3780, 4), put(3780, 4), put(0, 4), put(0, 4);
    put(0, 2);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* line = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            out.append(char(line[3 * x + 2])).append(char(line[3 * x + 1])).append(char(line[3 * x]));
        out.append(QByteArray(stride - 3 * rgb.width(), '\0'));
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d (top-down)\n", qPrintable(path), rgb.width(), rgb.height());
    return true;
}

// The tray images with their mask colour made transparent.
QImage Transparent(const QImage& img) {
    QImage out = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if ((out.pixel(x, y) & 0xFFFFFF) == 0x00FF00) out.setPixel(x, y, 0);
    return out;
}

QStringList StatusSample() {
    return {QStringLiteral("Telefone: 0"),
            QStringLiteral("Discando..."),
            QStringLiteral("Verificando usu\u00e1rio e senha..."),
            QStringLiteral("Registrando na rede..."),
            QStringLiteral("Conex\u00e3o efetuada com \u00eaxito."),
            QStringLiteral("Conectado a 52.000 bps")};
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: MakeArtwork <app folder> [preview folder]\n");
        return 2;
    }
    using namespace art;
    const QString res = QString::fromLocal8Bit(argv[1]) + "/res/";
    const QString preview = argc > 2 ? QString::fromLocal8Bit(argv[2]) + "/" : QString();
    bool ok = true;
    auto bmp = [&](const QImage& img, const QString& name) {
        const QImage out = img.format() == QImage::Format_Indexed8 ? img : img.convertToFormat(QImage::Format_RGB888);
        ok = Save(out, res + name + ".bmp", "BMP") && ok;
        if (!preview.isEmpty()) Save(img, preview + QString(name).replace('/', '-') + ".png", "PNG");
    };

    // The skins, the largest by far, are kept top-down.
    auto skinBmp = [&](const QImage& img, const QString& name) {
        ok = SaveTopDown(img, res + name + ".bmp") && ok;
        if (!preview.isEmpty()) Save(img, preview + QString(name).replace('/', '-') + ".png", "PNG");
    };
    const QImage skin = MainSkin();
    skinBmp(skin, "BMP1");
    const QImage conOn = ButtonPicture(skin, ButtonKind::Connect, true);
    const QImage conOff = ButtonPicture(skin, ButtonKind::Connect, false);
    const QImage desOn = ButtonPicture(skin, ButtonKind::Disconnect, true);
    const QImage desOff = ButtonPicture(skin, ButtonKind::Disconnect, false);
    bmp(conOn, "BMPCONON");
    bmp(conOff, "BMPCONOFF");
    bmp(desOn, "BMPDESON");
    bmp(desOff, "BMPDESOFF");
    bmp(TrayImage(false), "BMPST1");
    bmp(TrayImage(true), "BMPST2");
    bmp(ExistingUserImage(), "ImageJaSouUsuario");
    bmp(NewUserImage(), "ImageSouNovo");

    // The conventional-line edition's own pictures.
    const QImage roaming = RoamingSkin();
    skinBmp(roaming, "conventional/BMP1");
    bmp(SettingsHover(), "conventional/BMP3");
    bmp(NewUserHover(), "conventional/BMP4");
    bmp(Banner(), "conventional/BMPBNN");

    // Pictures of the help page, cut to the window's shape.
    const QString faq = QString::fromLocal8Bit(argv[1]) + "/FAQ/imagens/";
    ok = Save(WindowPicture(skin, MainOutline(), &conOff), faq + "discador.png", "PNG") && ok;
    ok = Save(WindowPicture(WithStatusLines(skin, StatusSample()), MainOutline(), &desOff),
              faq + "discador-conectado.png", "PNG") &&
         ok;
    ok = Save(WindowPicture(WithLoginPanel(roaming), RoamingOutline(), nullptr), faq + "linha-convencional.png",
              "PNG") &&
         ok;
    ok = Save(Transparent(TrayImage(false)), faq + "icone.png", "PNG") && ok;
    ok = Save(Transparent(TrayImage(true)), faq + "icone-email.png", "PNG") && ok;

    if (!preview.isEmpty()) {
        Save(Composite(skin, MainOutline(), &conOff), preview + "main-window.png", "PNG");
        Save(Composite(skin, MainOutline(), &desOn), preview + "main-window-hang-up.png", "PNG");
        Save(Composite(roaming, RoamingOutline(), nullptr), preview + "roaming-window.png", "PNG");
        Save(Composite(WithLoginPanel(roaming), RoamingOutline(), nullptr), preview + "roaming-login.png", "PNG");
        Save(Composite(WithStatusLines(skin, StatusSample()), MainOutline(), &desOff), preview + "main-status.png",
             "PNG");
    }
    return ok ? 0 : 1;
}
