#include "SkinParts.h"

#include "Draw.h"
#include "Palette.h"
#include "SkinGeometry.h"

#include <QFontMetricsF>
#include <cmath>
#include <numbers>

namespace art {
namespace {

const QString kSans = QStringLiteral("DejaVu Sans");
const QString kCondensed = QStringLiteral("DejaVu Sans Condensed");

QPainterPath Circle(QPointF c, double r) {
    QPainterPath path;
    path.addEllipse(c, r, r);
    return path;
}

QPointF Centroid(const QPolygonF& poly) {
    double a = 0, cx = 0, cy = 0;
    for (int i = 0; i < poly.size(); ++i) {
        const QPointF p0 = poly[i], p1 = poly[(i + 1) % poly.size()];
        const double cross = p0.x() * p1.y() - p1.x() * p0.y();
        a += cross;
        cx += (p0.x() + p1.x()) * cross;
        cy += (p0.y() + p1.y()) * cross;
    }
    return {cx / (3 * a), cy / (3 * a)};
}

void Glyph(QPainter& p, int kind, QPointF c) {
    // Light engraving first, then the glyph itself.
    for (int pass = 0; pass < 2; ++pass) {
        const QPointF at = pass == 0 ? c + QPointF(0, 1) : c;
        const QColor col = pass == 0 ? WithAlpha(Qt::white, 170) : pal::kGlyph;
        p.setPen(QPen(col, 2.6, Qt::SolidLine, Qt::RoundCap));
        if (kind == 0) {
            p.drawLine(at + QPointF(-4, -4), at + QPointF(4, 4));
            p.drawLine(at + QPointF(-4, 4), at + QPointF(4, -4));
        } else if (kind == 1) {
            p.drawLine(at + QPointF(-5, 0), at + QPointF(5, 0));
        } else {
            p.setFont(Font(kSans, 14, QFont::Bold));
            p.drawText(QRectF(at.x() - 10, at.y() - 10, 20, 20), Qt::AlignCenter, "?");
        }
    }
}

}  // namespace

void PaintBody(QImage& img, const QPolygon& outline, unsigned seed) {
    img.fill(pal::kRimDark);
    const QPainterPath body = PathOf(outline);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 90, kSkinHeight);
        g.setColorAt(0.0, pal::kBodyTop);
        g.setColorAt(0.45, pal::kBodyMid);
        g.setColorAt(1.0, pal::kBodyBottom);
        p.fillPath(body, g);
        // A broad sheen over the upper body, as from a window light.
        QPainterPath sheen;
        sheen.addEllipse(QPointF(330, -40), 300, 175);
        QLinearGradient s(0, 20, 0, 135);
        s.setColorAt(0.0, WithAlpha(Qt::white, 46));
        s.setColorAt(1.0, WithAlpha(Qt::white, 0));
        p.fillPath(sheen.intersected(body), s);
    }
    Brush(img, body, 5, seed);
}

void PaintRim(QPainter& p, const QPolygon& outline) {
    const QPainterPath body = PathOf(outline);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipPath(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(WithAlpha(Qt::black, 70), 11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(body);
    QLinearGradient light(0, 0, 0, kSkinHeight);
    light.setColorAt(0.0, WithAlpha(pal::kRimLight, 235));
    light.setColorAt(0.5, WithAlpha(pal::kRimLight, 150));
    light.setColorAt(1.0, WithAlpha(pal::kRimLight, 80));
    p.setPen(QPen(QBrush(light), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(body);
    p.setPen(QPen(pal::kRimDark, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(body);
    p.restore();
}

void PaintSphere(QPainter& p, QPointF c, double r, bool withWord) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath sphere = Circle(c, r);
    QRadialGradient g(c + QPointF(-0.3 * r, -0.38 * r), 1.35 * r);
    g.setColorAt(0.0, pal::kSphereLight);
    g.setColorAt(0.45, pal::kSphereMid);
    g.setColorAt(1.0, pal::kSphereDark);
    p.fillPath(sphere, g);
    p.save();
    p.setClipPath(sphere, Qt::IntersectClip);
    // Light coming back from below.
    QRadialGradient back(c + QPointF(0, 0.95 * r), 0.8 * r);
    back.setColorAt(0.0, WithAlpha(QColor(0x8F, 0xE4, 0xFF), 120));
    back.setColorAt(1.0, WithAlpha(QColor(0x8F, 0xE4, 0xFF), 0));
    p.fillPath(sphere, back);
    // The orbit: a crescent, thick in front, thin behind.
    p.save();
    p.translate(c);
    p.rotate(-18);
    QPainterPath outer, inner;
    outer.addEllipse(QPointF(0, 0.10 * r), 1.08 * r, 0.40 * r);
    inner.addEllipse(QPointF(0, 0.01 * r), 1.02 * r, 0.31 * r);
    QLinearGradient og(0, -0.4 * r, 0, 0.5 * r);
    og.setColorAt(0.0, pal::kAccentLight);
    og.setColorAt(1.0, pal::kAccent);
    p.fillPath(outer.subtracted(inner), og);
    p.restore();
    if (withWord) {
        const double size = 0.60 * r;
        p.setFont(Font(kSans, size, QFont::Bold, true, -0.04 * size));
        const QRectF box(c.x() - r, c.y() - 0.52 * r, 2 * r, 0.9 * r);
        ShadowText(p, box, Qt::AlignCenter, "vyn", Qt::white, WithAlpha(pal::kSphereDark, 200),
                   QPointF(0.03 * r, 0.04 * r));
    }
    // The window light caught across the top.
    QPainterPath shine;
    shine.addEllipse(QPointF(c.x() - 0.04 * r, c.y() - 0.52 * r), 0.72 * r, 0.40 * r);
    QLinearGradient sg(0, c.y() - 0.92 * r, 0, c.y() - 0.12 * r);
    sg.setColorAt(0.0, WithAlpha(Qt::white, 190));
    sg.setColorAt(1.0, WithAlpha(Qt::white, 0));
    p.fillPath(shine, sg);
    p.restore();
    p.setPen(QPen(WithAlpha(pal::kSphereDark, 230), std::max(1.0, r / 40)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(sphere);
    p.restore();
}

void PaintEmblem(QPainter& p) {
    const QPointF c(90, 89);
    const double outerR = 88.5, innerR = 63;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    SoftShadow(p, Circle(c, outerR - 1), WithAlpha(Qt::black, 150), 3, 4, 3);
    const QPainterPath ring = Circle(c, outerR).subtracted(Circle(c, innerR));
    // Spun metal: light and shade alternating around the centre.
    QConicalGradient spun(c, 0);
    for (int i = 0; i <= 12; ++i) spun.setColorAt(i / 12.0, i % 2 ? pal::kSilverMid : pal::kSilverLight);
    p.fillPath(ring, spun);
    QLinearGradient lit(c + QPointF(-outerR, -outerR), c + QPointF(outerR, outerR));
    lit.setColorAt(0.0, WithAlpha(Qt::white, 90));
    lit.setColorAt(0.5, WithAlpha(Qt::white, 0));
    lit.setColorAt(1.0, WithAlpha(pal::kRimDark, 110));
    p.fillPath(ring, lit);
    // A groove near the inner edge and the inner lip in shade.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(WithAlpha(pal::kSilverDark, 200), 1.0));
    p.drawEllipse(c, innerR + 4.5, innerR + 4.5);
    p.setPen(QPen(WithAlpha(Qt::white, 170), 1.0));
    p.drawEllipse(c + QPointF(0.5, 0.8), innerR + 4.5, innerR + 4.5);
    Bevel(p, Circle(c, outerR), WithAlpha(Qt::white, 200), WithAlpha(pal::kRimDark, 160), 1.5);
    // The lettering, engraved on the upper arc.
    p.setFont(Font(kSans, 8.5, QFont::Bold, false, 1.6));
    const double middle = -113;
    const double span = ArcText(p, c, 75.5, middle, QStringLiteral("RUVOZAVA  \u2022  CORVALA"),
                                QColor(0x3A, 0x4F, 0x6E), WithAlpha(Qt::white, 190));
    // Rivets at the ends of the lettering.
    for (double a : {middle - span / 2 - 6, middle + span / 2 + 5}) {
        const double rad = a * std::numbers::pi / 180;
        const QPointF at = c + QPointF(std::cos(rad), std::sin(rad)) * 75.5;
        QRadialGradient rg(at + QPointF(-0.8, -0.8), 2.6);
        rg.setColorAt(0.0, Qt::white);
        rg.setColorAt(1.0, pal::kSilverDark);
        p.setPen(QPen(WithAlpha(pal::kRimDark, 140), 0.6));
        p.setBrush(rg);
        p.drawEllipse(at, 2.2, 2.2);
    }
    // The seat of the sphere.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x07, 0x18, 0x33));
    p.drawEllipse(c, innerR, innerR);
    Bevel(p, Circle(c, innerR), WithAlpha(pal::kRimDark, 220), WithAlpha(Qt::white, 170), 1.2);
    PaintSphere(p, c, 58.5, true);
    p.restore();
}

void PaintKeys(QPainter& p, const QPolygon& outline) {
    const QPainterPath inside = Shrink(PathOf(outline), 5.5);
    const QPolygon zones[3] = {CloseZone(), MinimiseZone(), HelpZone()};
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 3; ++k) {
        const QPainterPath key = Rounded(Shrink(PathOf(zones[k]).intersected(inside), 1.4), 2.5);
        SoftShadow(p, key, WithAlpha(Qt::black, 170), 1.2, 2.0, 2);
        const QRectF b = key.boundingRect();
        QLinearGradient g(0, b.top(), 0, b.bottom());
        g.setColorAt(0.0, pal::kSilverLight);
        g.setColorAt(0.48, QColor(0xD6, 0xE0, 0xEC));
        g.setColorAt(0.52, pal::kSilverMid);
        g.setColorAt(1.0, QColor(0xCF, 0xDA, 0xE8));
        p.fillPath(key, g);
        Bevel(p, key, WithAlpha(Qt::white, 230), WithAlpha(pal::kSilverDark, 220), 1.0);
        p.setPen(QPen(WithAlpha(pal::kRimDark, 210), 0.9));
        p.setBrush(Qt::NoBrush);
        p.drawPath(key);
        Glyph(p, k, Centroid(key.toFillPolygon()) + QPointF(0, 0.5));
    }
    p.restore();
}

void PaintDisplayFrame(QPainter& p, const QRect& screen) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frameRect = QRectF(screen).adjusted(-7, -7, 7, 7);
    QPainterPath frame;
    frame.addRoundedRect(frameRect, 8, 8);
    // A light lip below and a shade above make the frame sit in the body.
    SoftShadow(p, frame, WithAlpha(Qt::white, 60), 0, 1.5, 1);
    SoftShadow(p, frame, WithAlpha(Qt::black, 170), 0, -1.0, 2);
    QLinearGradient fg(0, frameRect.top(), 0, frameRect.bottom());
    fg.setColorAt(0.0, QColor(0x0E, 0x2A, 0x50));
    fg.setColorAt(1.0, QColor(0x1B, 0x44, 0x78));
    p.fillPath(frame, fg);
    Bevel(p, frame, WithAlpha(Qt::black, 150), WithAlpha(pal::kRimLight, 150), 1.2);
    QPainterPath glass;
    glass.addRoundedRect(QRectF(screen).adjusted(-1.5, -1.5, 1.5, 1.5), 3, 3);
    p.fillPath(glass, QColor(0x04, 0x0E, 0x1C));
    p.fillRect(screen, pal::kDisplay);
    // Inner shade in the margin the memo leaves free.
    p.setClipRect(screen);
    p.setPen(QPen(WithAlpha(Qt::black, 110), 1));
    p.drawLine(QPointF(screen.left() + 0.5, screen.top() + 0.5), QPointF(screen.right() + 0.5, screen.top() + 0.5));
    p.setPen(QPen(WithAlpha(Qt::black, 55), 1));
    p.drawLine(QPointF(screen.left() + 0.5, screen.top() + 1.5), QPointF(screen.right() + 0.5, screen.top() + 1.5));
    p.restore();
}

void PaintSlot(QPainter& p, const QRect& slot) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(slot), 7, 7);
    SoftShadow(p, path, WithAlpha(Qt::white, 55), 0, 1.5, 1);
    QLinearGradient g(0, slot.top(), 0, slot.bottom());
    g.setColorAt(0.0, QColor(0x05, 0x10, 0x22));
    g.setColorAt(1.0, QColor(0x12, 0x2E, 0x55));
    p.fillPath(path, g);
    Bevel(p, path, WithAlpha(Qt::black, 170), WithAlpha(pal::kRimLight, 130), 1.0);
    p.restore();
}

void PaintGrille(QPainter& p, const QPolygon& outline, double left) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath area = Shrink(PathOf(outline), 16);
    QPainterPath band;
    band.addRect(QRectF(left, 120, kSkinWidth - left, 132));
    area = area.intersected(band);
    for (int row = 0; row < 40; ++row) {
        const double y = 124 + row * 5.2;
        for (int col = 0; col < 20; ++col) {
            const double x = left + 2 + col * 6.0 + (row % 2 ? 3.0 : 0.0);
            const QPointF c(x, y);
            if (!area.contains(c)) continue;
            p.setPen(Qt::NoPen);
            p.setBrush(WithAlpha(pal::kRimLight, 80));
            p.drawEllipse(c + QPointF(0.3, 0.7), 1.7, 1.7);
            p.setBrush(QColor(0x03, 0x0B, 0x18));
            p.drawEllipse(c, 1.6, 1.6);
        }
    }
    p.restore();
}

void PaintZonePlate(QPainter& p, const QPolygon& zone, const QPolygon& outline) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath inside = Shrink(PathOf(outline), 6);
    const QPainterPath plate = Rounded(Shrink(PathOf(zone), 2).intersected(inside), 5);
    SoftShadow(p, plate, WithAlpha(Qt::white, 45), 0, 1.2, 1);
    const QRectF b = plate.boundingRect();
    QLinearGradient g(0, b.top(), 0, b.bottom());
    g.setColorAt(0.0, QColor(0x0B, 0x22, 0x45));
    g.setColorAt(1.0, QColor(0x10, 0x2D, 0x58));
    p.fillPath(plate, g);
    Bevel(p, plate, WithAlpha(Qt::black, 150), WithAlpha(pal::kRimLight, 110), 1.0);
    p.restore();
}

void PaintLinePlate(QPainter& p, const QPolygon& outline, PlateIcon icon, const QString& caption) {
    PaintZonePlate(p, LineZone(), outline);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF ic(114, 264);
    if (icon == PlateIcon::Handset) {
        QRadialGradient dg(ic + QPointF(-2, -3), 9);
        dg.setColorAt(0.0, pal::kAccentLight);
        dg.setColorAt(1.0, pal::kAccent);
        p.setPen(QPen(WithAlpha(Qt::black, 140), 0.8));
        p.setBrush(dg);
        p.drawEllipse(ic, 7.5, 7.5);
        p.setFont(Font(kSans, 10, QFont::Bold));
        p.setPen(QColor(0x3A, 0x1C, 0x00));
        p.drawText(QRectF(ic.x() - 8, ic.y() - 8.5, 16, 16), Qt::AlignCenter, QString(QChar(0x260E)));
    } else {
        PaintSphere(p, ic, 7.5, false);
    }
    // Two lines beside the icon: the split at a space that allows the largest type, and of
    // those the most even one.
    const double left = 125, room = 206 - left;
    QString first = caption, second;
    int bestSize = 0;
    double bestDiff = 1e9;
    for (int i = caption.indexOf(' '); i >= 0; i = caption.indexOf(' ', i + 1)) {
        const QString a = caption.left(i), b = caption.mid(i + 1);
        for (int px = 11; px >= 8; --px) {
            const QFontMetricsF fm(Font(kCondensed, px, QFont::Bold));
            const double wa = fm.horizontalAdvance(a), wb = fm.horizontalAdvance(b);
            if (wa > room || wb > room) continue;
            if (px > bestSize || (px == bestSize && std::abs(wa - wb) < bestDiff)) {
                bestSize = px;
                bestDiff = std::abs(wa - wb);
                first = a;
                second = b;
            }
            break;
        }
    }
    p.setFont(Font(kCondensed, bestSize, QFont::Bold));
    ShadowText(p, QRectF(left, 252, room, 13), Qt::AlignLeft | Qt::AlignVCenter, first, pal::kCaption,
               WithAlpha(Qt::black, 160));
    ShadowText(p, QRectF(left, 265, room, 13), Qt::AlignLeft | Qt::AlignVCenter, second, pal::kCaption,
               WithAlpha(Qt::black, 160));
    p.restore();
}

void PaintRipples(QPainter& p) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(90, 89);
    for (int i = 0; i < 3; ++i) {
        const double r = 99 + 9 * i;
        const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
        // Brightest below the emblem, fading towards both ends; Qt counts angles
        // anticlockwise from three o'clock, in sixteenths of a degree.
        const int alpha = 120 - 30 * i;
        for (int a = -120; a < -38; a += 2) {
            const double t = (a + 120) / 82.0;
            const double fade = std::sin(t * std::numbers::pi);
            p.setPen(QPen(WithAlpha(pal::kRimLight, int(alpha * fade)), 1.0, Qt::SolidLine, Qt::FlatCap));
            p.drawArc(box, a * 16, 2 * 16 + 4);
        }
    }
    p.restore();
}

void PaintSlopeLines(QPainter& p) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF a(229, 52), b(396, 108);
    const QPointF dir = (b - a) / std::hypot(b.x() - a.x(), b.y() - a.y());
    const QPointF normal(-dir.y(), dir.x());
    for (int i = 0; i < 2; ++i) {
        const QPointF off = normal * (9.0 + 4.0 * i);
        QLinearGradient g(a, b);
        const QColor c = i == 0 ? pal::kAccent : pal::kRimLight;
        g.setColorAt(0.0, WithAlpha(c, 0));
        g.setColorAt(0.25, WithAlpha(c, 200));
        g.setColorAt(0.8, WithAlpha(c, 200));
        g.setColorAt(1.0, WithAlpha(c, 0));
        p.setPen(QPen(QBrush(g), i == 0 ? 1.6 : 1.0));
        p.drawLine(a + off + dir * (10.0 * i), b + off - dir * 6.0);
    }
    p.restore();
}

}  // namespace art
