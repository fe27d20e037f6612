#include "Draw.h"
#include "Palette.h"
#include "Pictures.h"
#include "SkinGeometry.h"

namespace art {
namespace {

const QString kSans = QStringLiteral("DejaVu Sans");

// Plug-in arrow for connecting, a square stop for hanging up.
void Icon(QPainter& p, ButtonKind kind, QPointF c, QColor ink) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(WithAlpha(Qt::white, 235));
    p.drawEllipse(c, 7.2, 7.2);
    p.setBrush(ink);
    if (kind == ButtonKind::Connect) {
        QPolygonF tri;
        tri << c + QPointF(-2.2, -3.8) << c + QPointF(4.0, 0) << c + QPointF(-2.2, 3.8);
        p.drawPolygon(tri);
    } else {
        p.drawRoundedRect(QRectF(c.x() - 3, c.y() - 3, 6, 6), 0.8, 0.8);
    }
    p.restore();
}

}  // namespace

QImage ButtonPicture(const QImage& skin, ButtonKind kind, bool hover) {
    // The corners outside the rounded button show the skin, so the picture sits seamlessly.
    QImage img = skin.copy(QRect(kButtonPos, kButtonSize));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const bool go = kind == ButtonKind::Connect;
    const QColor top = go ? (hover ? pal::kGoHoverTop : pal::kGoTop) : (hover ? pal::kStopHoverTop : pal::kStopTop);
    const QColor bottom = go ? (hover ? pal::kGoHoverBottom : pal::kGoBottom)
                             : (hover ? pal::kStopHoverBottom : pal::kStopBottom);
    const QRectF r(2, 2, img.width() - 4, img.height() - 4);
    QPainterPath pill;
    pill.addRoundedRect(r, 10.5, 10.5);
    QLinearGradient g(0, r.top(), 0, r.bottom());
    g.setColorAt(0.0, top);
    g.setColorAt(0.5, Mix(top, bottom, 0.55));
    g.setColorAt(1.0, bottom);
    p.fillPath(pill, g);
    // Light pooled at the bottom, as in a gel.
    QRadialGradient pool(QPointF(r.center().x(), r.bottom() + 4), r.width() * 0.55);
    pool.setColorAt(0.0, WithAlpha(Mix(top, Qt::white, 0.4), hover ? 150 : 110));
    pool.setColorAt(1.0, WithAlpha(top, 0));
    p.save();
    p.setClipPath(pill);
    p.scale(1.0, 0.35);
    p.fillRect(QRectF(0, (r.bottom() - 22) / 0.35, img.width(), 40 / 0.35), pool);
    p.restore();
    // Gloss on the upper half.
    QPainterPath gloss;
    gloss.addRoundedRect(QRectF(r.left() + 4, r.top() + 1.2, r.width() - 8, r.height() * 0.46), 7, 7);
    QLinearGradient gg(0, r.top(), 0, r.top() + r.height() * 0.5);
    gg.setColorAt(0.0, WithAlpha(Qt::white, hover ? 175 : 140));
    gg.setColorAt(1.0, WithAlpha(Qt::white, hover ? 30 : 12));
    p.fillPath(gloss, gg);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(WithAlpha(Mix(bottom, Qt::black, 0.55), 240), 1.1));
    p.drawPath(pill);
    if (hover) {
        QPainterPath inner;
        inner.addRoundedRect(r.adjusted(1.2, 1.2, -1.2, -1.2), 9.3, 9.3);
        p.setPen(QPen(WithAlpha(Qt::white, 120), 1.0));
        p.drawPath(inner);
    }
    const QString text = go ? QStringLiteral("Conectar") : QStringLiteral("Desconectar");
    p.setFont(Font(kSans, 12, QFont::Bold));
    const QFontMetricsF fm(p.font());
    const double iconW = 15, gap = 6;
    const double total = iconW + gap + fm.horizontalAdvance(text);
    const double x0 = (img.width() - total) / 2;
    Icon(p, kind, QPointF(x0 + iconW / 2, r.center().y() + 0.2), Mix(bottom, Qt::black, 0.15));
    ShadowText(p, QRectF(x0 + iconW + gap, 0, 120, img.height()), Qt::AlignLeft | Qt::AlignVCenter, text, Qt::white,
               WithAlpha(Mix(bottom, Qt::black, 0.5), 220), QPointF(0, 1));
    return img;
}

}  // namespace art
