#include "Draw.h"
#include "Palette.h"
#include "Pictures.h"
#include "SkinGeometry.h"
#include "SkinParts.h"

#include <QFontMetricsF>
#include <cmath>
#include <numbers>

namespace art {
namespace {

const QString kSans = QStringLiteral("DejaVu Sans");
const QString kCondensed = QStringLiteral("DejaVu Sans Condensed");

// The display holds the login panel, the status view and the welcome pictures, which reach
// further right than the status view alone.
constexpr QRect kScreen{186, 155, 240, 88};
// The bar under the display where the "Discar", "Rediscar" and "Desconectar" labels sit.
constexpr QRect kLabelBar{226, 252, 168, 23};

void Gear(QPainter& p, QPointF c, double r, QColor ink) {
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * std::numbers::pi / teeth;
        const double a1 = (i + 0.5) * std::numbers::pi / teeth;
        const double rr = i % 2 ? r * 0.74 : r;
        const QPointF p0 = c + QPointF(std::cos(a0), std::sin(a0)) * rr;
        const QPointF p1 = c + QPointF(std::cos(a1), std::sin(a1)) * rr;
        if (i == 0) gear.moveTo(p0);
        else gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, r * 0.34, r * 0.34);
    p.fillPath(gear.subtracted(hole), ink);
}

void Person(QPainter& p, QPointF c, double r, QColor ink, QColor plus) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(c + QPointF(-1.5, -r * 0.45), r * 0.36, r * 0.36);
    QPainterPath body;
    body.addRoundedRect(QRectF(c.x() - 1.5 - r * 0.62, c.y() + r * 0.02, r * 1.24, r * 0.78), r * 0.5, r * 0.5);
    p.fillPath(body, ink);
    p.setPen(QPen(plus, 1.8, Qt::SolidLine, Qt::RoundCap));
    const QPointF pc = c + QPointF(r * 0.72, -r * 0.1);
    p.drawLine(pc + QPointF(-2.6, 0), pc + QPointF(2.6, 0));
    p.drawLine(pc + QPointF(0, -2.6), pc + QPointF(0, 2.6));
    p.restore();
}

// A soft glow behind a highlighted command. It stays inside the hover picture's rectangle,
// whose edge must match the plain skin.
void HoverGlow(QPainter& p, const QRectF& rect, const QRect& picture) {
    p.save();
    p.setClipRect(picture.adjusted(1, 1, -1, -1));
    QPainterPath pill;
    pill.addRoundedRect(rect, rect.height() / 2, rect.height() / 2);
    SoftShadow(p, pill, WithAlpha(pal::kAccent, 130), 0, 0, 1);
    QLinearGradient g(0, rect.top(), 0, rect.bottom());
    g.setColorAt(0.0, WithAlpha(pal::kAccentLight, 95));
    g.setColorAt(1.0, WithAlpha(pal::kAccent, 55));
    p.fillPath(pill, g);
    p.setPen(QPen(WithAlpha(pal::kAccentLight, 200), 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawPath(pill);
    p.restore();
}

void PaintCommands(QPainter& p, bool settingsHover, bool newUserHover) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Settings: a gear and "Configurar", inside (233,73)-(325,107).
    if (settingsHover) HoverGlow(p, QRectF(238, 84.5, 83, 19), QRect(kSettingsHoverPos, kSettingsHoverSize));
    Gear(p, QPointF(250, 94.5), 6.2, settingsHover ? Qt::white : pal::kCaptionDim);
    p.setFont(Font(kCondensed, 11, QFont::Bold));
    ShadowText(p, QRectF(260, 86, 62, 17), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Configurar"),
               settingsHover ? Qt::white : pal::kCaption, WithAlpha(Qt::black, 170));
    // New user: a person with a plus, "Novo" over "usuário", inside (344,93)-(403,127).
    if (newUserHover) HoverGlow(p, QRectF(347.5, 105, 52, 20), QRect(kNewUserHoverPos, kNewUserHoverSize));
    Person(p, QPointF(354, 115.5), 6.2, newUserHover ? Qt::white : pal::kCaptionDim,
           newUserHover ? pal::kAccentLight : pal::kAccent);
    p.setFont(Font(kCondensed, 8.5, QFont::Bold));
    const QColor ink = newUserHover ? Qt::white : pal::kCaption;
    ShadowText(p, QRectF(363, 106, 37, 10), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Novo"), ink,
               WithAlpha(Qt::black, 170));
    ShadowText(p, QRectF(363, 115, 37, 10), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("usu\u00e1rio"), ink,
               WithAlpha(Qt::black, 170));
    p.restore();
}

void PaintTitle(QPainter& p) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(Font(kSans, 12, QFont::Bold, true, -0.2));
    ShadowText(p, QRectF(40, 187, 138, 17), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Ruvozava Corvala"),
               pal::kCaption, WithAlpha(Qt::black, 170), QPointF(1, 1.5));
    p.setFont(Font(kSans, 7.5, QFont::Bold, false, 1.2));
    ShadowText(p, QRectF(40, 205, 138, 10), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("LINHA CONVENCIONAL"),
               pal::kAccentLight, WithAlpha(Qt::black, 150));
    p.restore();
}

void PaintLabelBar(QPainter& p) {
    PaintSlot(p, kLabelBar.adjusted(-4, -3, 4, 3));
    p.fillRect(kLabelBar.adjusted(1, 1, -1, -1), pal::kDisplay);
}

QImage Skin(bool settingsHover, bool newUserHover) {
    QImage img(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
    const QPolygon outline = RoamingOutline();
    PaintBody(img, outline, 11);
    QPainter p(&img);
    PaintRipples(p);
    PaintZonePlate(p, SettingsZone(), outline);
    PaintZonePlate(p, NewUserZone(), outline);
    PaintCommands(p, settingsHover, newUserHover);
    PaintTitle(p);
    PaintGrille(p, outline, 446);
    PaintDisplayFrame(p, kScreen);
    PaintLabelBar(p);
    PaintLinePlate(p, outline, PlateIcon::Sphere, QStringLiteral("Discar pela linha Corvala"));
    PaintEmblem(p);
    PaintKeys(p, outline);
    PaintRim(p, outline);
    return img;
}

// The welcome pictures: a bullet and a line of link text on the display colour.
QImage LinkImage(QSize size, const QString& text) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(pal::kDisplay);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double cy = size.height() / 2.0;
    QRadialGradient g(QPointF(5.5, cy - 1.5), 7);
    g.setColorAt(0.0, pal::kAccentLight);
    g.setColorAt(1.0, pal::kAccent);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(6.5, cy), 5.5, 5.5);
    p.setPen(QPen(QColor(0x3A, 0x1C, 0x00), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygonF chevron;
    chevron << QPointF(5.2, cy - 2.6) << QPointF(7.9, cy) << QPointF(5.2, cy + 2.6);
    p.drawPolyline(chevron);
    // The largest size at which the text fits.
    QFont f;
    for (double px = 11; px >= 8; px -= 0.5) {
        f = Font(kSans, px, QFont::Bold);
        f.setUnderline(true);
        if (QFontMetricsF(f).horizontalAdvance(text) <= size.width() - 18) break;
    }
    p.setFont(f);
    p.setPen(pal::kDisplayAccent);
    p.drawText(QRectF(16, 0, size.width() - 16, size.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
    return img;
}

}  // namespace

QImage RoamingSkin() { return Skin(false, false); }

QImage SettingsHover() { return Skin(true, false).copy(QRect(kSettingsHoverPos, kSettingsHoverSize)); }

QImage NewUserHover() { return Skin(false, true).copy(QRect(kNewUserHoverPos, kNewUserHoverSize)); }

QImage ExistingUserImage() { return LinkImage(QSize(150, 16), QStringLiteral("J\u00e1 sou usu\u00e1rio Vyn")); }

QImage NewUserImage() { return LinkImage(QSize(201, 15), QStringLiteral("Sou novo: quero me cadastrar")); }

}  // namespace art
