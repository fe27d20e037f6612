#include "Draw.h"
#include "Palette.h"
#include "Pictures.h"
#include "SkinGeometry.h"

namespace art {
namespace {

const QString kSans = QStringLiteral("DejaVu Sans");

void EditBox(QPainter& p, const QRect& r, const QString& text, bool combo) {
    p.fillRect(r, Qt::white);
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor(0x7A, 0x8A, 0xA0));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    p.drawText(r.adjusted(4, 0, -16, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    if (combo) {
        const QRect b(r.right() - 15, r.top() + 2, 14, r.height() - 4);
        p.fillRect(b, QColor(0xD8, 0xE2, 0xEE));
        QPolygonF tri;
        tri << QPointF(b.center().x() - 3, b.center().y() - 1.5)
            << QPointF(b.center().x() + 3.5, b.center().y() - 1.5)
            << QPointF(b.center().x() + 0.25, b.center().y() + 2);
        p.setBrush(Qt::black);
        p.setPen(Qt::NoPen);
        p.drawPolygon(tri);
    }
}

}  // namespace

QImage WindowPicture(const QImage& skin, const QPolygon& outline, const QImage* button) {
    QImage out(skin.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setClipRegion(QRegion(outline, Qt::OddEvenFill));
    p.drawImage(0, 0, skin);
    if (button) p.drawImage(kButtonPos, *button);
    return out;
}

QImage WithStatusLines(const QImage& skin, const QStringList& lines) {
    QImage img = skin.copy();
    QPainter p(&img);
    p.fillRect(kMemoRect, pal::kDisplay);
    p.setFont(Font(kSans, 11));
    p.setPen(pal::kDisplayText);
    int y = kMemoRect.top() + 1;
    for (const QString& line : lines) {
        p.drawText(QRect(kMemoRect.left() + 2, y, kMemoRect.width() - 4, 13), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += 13;
    }
    return img;
}

QImage WithLoginPanel(const QImage& skin) {
    QImage img = skin.copy();
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(Font(kSans, 11, QFont::Bold));
    p.setPen(pal::kDisplayAccent);
    p.drawText(QRect(203, 162, 160, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Informa\u00e7\u00f5es do Usu\u00e1rio:"));
    p.setFont(Font(kSans, 11));
    p.setPen(pal::kDisplayText);
    p.drawText(QRect(203, 186, 45, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Usu\u00e1rio:"));
    p.drawText(QRect(203, 210, 45, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Senha:"));
    p.drawText(QRect(332, 186, 90, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("@vyn.example"));
    EditBox(p, QRect(249, 186, 81, 22), QStringLiteral("maria"), true);
    EditBox(p, QRect(249, 210, 81, 22), QStringLiteral("\u2022\u2022\u2022\u2022\u2022\u2022"), false);
    p.setFont(Font(kSans, 11, QFont::Bold));
    p.setPen(pal::kAccentLight);
    p.drawText(QRect(240, 256, 41, 14), Qt::AlignCenter, QStringLiteral("Discar"));
    p.setPen(pal::kCaption);
    p.drawText(QRect(304, 256, 81, 14), Qt::AlignCenter, QStringLiteral("Desconectar"));
    return img;
}

QImage Composite(const QImage& skin, const QPolygon& outline, const QImage* button) {
    const int m = 24;
    QImage out(skin.width() + 2 * m, skin.height() + 2 * m, QImage::Format_RGB32);
    out.fill(QColor(0x3A, 0x6E, 0xA5));
    QPainter p(&out);
    p.drawImage(m, m, WindowPicture(skin, outline, button));
    return out;
}

}  // namespace art
