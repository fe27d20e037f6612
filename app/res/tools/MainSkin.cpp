#include "Draw.h"
#include "Palette.h"
#include "Pictures.h"
#include "SkinGeometry.h"
#include "SkinParts.h"

namespace art {
namespace {

const QString kSans = QStringLiteral("DejaVu Sans");

void PaintTitle(QPainter& p) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(Font(kSans, 19, QFont::Bold, true, -0.3));
    const QRectF box(200, 107, 196, 26);
    ShadowText(p, box, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Ruvozava Corvala"), pal::kCaption,
               WithAlpha(Qt::black, 170), QPointF(1, 1.5));
    p.setFont(Font(kSans, 8, QFont::Bold, false, 1.8));
    ShadowText(p, QRectF(200, 133, 194, 11), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("DISCADOR VYN"),
               pal::kAccentLight, WithAlpha(Qt::black, 150));
    p.restore();
}

// What the display shows while the status view is hidden.
void PaintIdleScreen(QPainter& p) {
    const QRect memo = kMemoRect;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(memo);
    // A faint glow and the mark, large and dim, at the right.
    QRadialGradient glow(QPointF(memo.right() - 30, memo.top() + 20), 120);
    glow.setColorAt(0.0, WithAlpha(pal::kDisplayAccent, 38));
    glow.setColorAt(1.0, WithAlpha(pal::kDisplayAccent, 0));
    p.fillRect(memo, glow);
    p.setOpacity(0.16);
    PaintSphere(p, QPointF(memo.right() - 26, memo.bottom() - 22), 44, false);
    p.setOpacity(1.0);
    p.setFont(Font(kSans, 11, QFont::Bold));
    p.setPen(pal::kDisplayAccent);
    p.drawText(QRectF(memo.left() + 10, memo.top() + 9, 180, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Bem-vindo!"));
    // Worded to fit every state the display can be seen in (also an adopted connection).
    p.setFont(Font(kSans, 9.5));
    p.setPen(pal::kDisplayText);
    p.drawText(QRectF(memo.left() + 10, memo.top() + 29, 160, 30), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Seu acesso discado \u00e0 Internet pela rede Vyn."));
    p.setFont(Font(kSans, 8.5));
    p.setPen(WithAlpha(pal::kDisplayText, 150));
    p.drawText(QRectF(memo.left() + 10, memo.bottom() - 20, 160, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("D\u00favidas? Clique em \u201c?\u201d."));
    p.restore();
}

}  // namespace

QImage MainSkin() {
    QImage img(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
    const QPolygon outline = MainOutline();
    PaintBody(img, outline, 7);
    QPainter p(&img);
    PaintRipples(p);
    PaintSlopeLines(p);
    PaintTitle(p);
    PaintGrille(p, outline, 430);
    PaintDisplayFrame(p, kMemoRect.adjusted(-3, -3, 3, 3));
    PaintIdleScreen(p);
    PaintSlot(p, QRect(kButtonPos, kButtonSize).adjusted(-5, -4, 5, 4));
    PaintLinePlate(p, outline, PlateIcon::Handset, QStringLiteral("Discar pela linha convencional"));
    PaintEmblem(p);
    PaintKeys(p, outline);
    PaintRim(p, outline);
    return img;
}

}  // namespace art
