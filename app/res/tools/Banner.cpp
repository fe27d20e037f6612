#include "Draw.h"
#include "Palette.h"
#include "Pictures.h"
#include "SkinParts.h"

#include <algorithm>
#include <array>
#include <vector>

namespace art {
namespace {

const QString kSans = QStringLiteral("DejaVu Sans");

struct Box {
    std::vector<QRgb> px;
    int Channel() const {  // the channel with the widest spread
        std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
        for (QRgb c : px) {
            const int v[3] = {qRed(c), qGreen(c), qBlue(c)};
            for (int i = 0; i < 3; ++i) {
                lo[i] = std::min(lo[i], v[i]);
                hi[i] = std::max(hi[i], v[i]);
            }
        }
        int best = 0;
        for (int i = 1; i < 3; ++i)
            if (hi[i] - lo[i] > hi[best] - lo[best]) best = i;
        return best;
    }
    int Spread() const {
        const int ch = Channel();
        auto get = [ch](QRgb c) { return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c); };
        auto [mn, mx] = std::minmax_element(px.begin(), px.end(), [&](QRgb a, QRgb b) { return get(a) < get(b); });
        return get(*mx) - get(*mn);
    }
};

}  // namespace

QImage ToIndexed(const QImage& src) {
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    std::vector<Box> boxes(1);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) boxes[0].px.push_back(img.pixel(x, y) | 0xFF000000u);
    while (boxes.size() < 256) {
        auto it = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return double(a.Spread()) * a.px.size() < double(b.Spread()) * b.px.size();
        });
        if (it->px.size() < 2 || it->Spread() == 0) break;
        const int ch = it->Channel();
        auto get = [ch](QRgb c) { return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c); };
        std::sort(it->px.begin(), it->px.end(), [&](QRgb a, QRgb b) { return get(a) < get(b); });
        Box upper;
        upper.px.assign(it->px.begin() + it->px.size() / 2, it->px.end());
        it->px.resize(it->px.size() / 2);
        boxes.push_back(std::move(upper));
    }
    QList<QRgb> table;
    for (const Box& b : boxes) {
        long r = 0, g = 0, bl = 0;
        for (QRgb c : b.px) {
            r += qRed(c);
            g += qGreen(c);
            bl += qBlue(c);
        }
        const long n = long(b.px.size());
        table.push_back(qRgb(int(r / n), int(g / n), int(bl / n)));
    }
    while (table.size() < 256) table.push_back(qRgb(0, 0, 0));
    return img.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither | Qt::AvoidDither);
}

QImage Banner() {
    QImage img(164, 135, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all(0, 0, 164, 135);
    QLinearGradient bg(0, 0, 40, 135);
    bg.setColorAt(0.0, pal::kBodyTop);
    bg.setColorAt(0.5, pal::kBodyMid);
    bg.setColorAt(1.0, pal::kBodyBottom);
    p.fillRect(all, bg);
    QPainterPath sheen;
    sheen.addEllipse(QPointF(100, -40), 130, 85);
    QLinearGradient sg(0, 0, 0, 45);
    sg.setColorAt(0.0, WithAlpha(Qt::white, 50));
    sg.setColorAt(1.0, WithAlpha(Qt::white, 0));
    p.fillPath(sheen, sg);
    // Header: the mark and the product name.
    PaintSphere(p, QPointF(25, 27), 17, false);
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygonF v;
    v << QPointF(19, 21) << QPointF(25, 32) << QPointF(31, 21);
    p.drawPolyline(v);
    p.setFont(Font(kSans, 12.5, QFont::Bold, true, -0.2));
    ShadowText(p, QRectF(48, 13, 110, 15), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Ruvozava"),
               pal::kCaption, WithAlpha(Qt::black, 160));
    ShadowText(p, QRectF(48, 27, 110, 15), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Corvala"), pal::kCaption,
               WithAlpha(Qt::black, 160));
    p.setPen(QPen(WithAlpha(pal::kAccent, 220), 1.2));
    p.drawLine(QPointF(10, 51.5), QPointF(154, 51.5));
    // Message.
    p.setFont(Font(kSans, 11, QFont::Bold));
    ShadowText(p, QRectF(6, 56, 152, 16), Qt::AlignCenter, QStringLiteral("Acesse a Internet"), Qt::white,
               WithAlpha(Qt::black, 160));
    p.setFont(Font(kSans, 9.5));
    ShadowText(p, QRectF(6, 72, 152, 14), Qt::AlignCenter, QStringLiteral("agora mesmo, com o"), pal::kCaption,
               WithAlpha(Qt::black, 140));
    ShadowText(p, QRectF(6, 85, 152, 14), Qt::AlignCenter, QStringLiteral("discador Vyn."), pal::kCaption,
               WithAlpha(Qt::black, 140));
    // The call to action: an amber gel button.
    const QRectF btn(24, 104, 116, 22);
    QPainterPath pill;
    pill.addRoundedRect(btn, 11, 11);
    SoftShadow(p, pill, WithAlpha(Qt::black, 150), 0, 1.5, 2);
    QLinearGradient bg2(0, btn.top(), 0, btn.bottom());
    bg2.setColorAt(0.0, pal::kAccentLight);
    bg2.setColorAt(1.0, QColor(0xD9, 0x6A, 0x0B));
    p.fillPath(pill, bg2);
    QPainterPath gloss;
    gloss.addRoundedRect(QRectF(btn.left() + 4, btn.top() + 1, btn.width() - 8, 9.5), 6, 6);
    QLinearGradient gg(0, btn.top(), 0, btn.top() + 11);
    gg.setColorAt(0.0, WithAlpha(Qt::white, 170));
    gg.setColorAt(1.0, WithAlpha(Qt::white, 20));
    p.fillPath(gloss, gg);
    p.setPen(QPen(QColor(0x7A, 0x36, 0x00), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(pill);
    p.setFont(Font(kSans, 11, QFont::Bold));
    ShadowText(p, btn, Qt::AlignCenter, QStringLiteral("Clique aqui"), Qt::white,
               WithAlpha(QColor(0x6A, 0x2A, 0x00), 200));
    // The close corner: the last 15 columns of the top 16 rows.
    const QRectF box(150.5, 2.5, 11, 11);
    p.setPen(QPen(WithAlpha(pal::kRimLight, 170), 1.0));
    p.setBrush(WithAlpha(pal::kRimDark, 150));
    p.drawRoundedRect(box, 2, 2);
    p.setPen(QPen(pal::kCaption, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(box.center() + QPointF(-2.6, -2.6), box.center() + QPointF(2.6, 2.6));
    p.drawLine(box.center() + QPointF(-2.6, 2.6), box.center() + QPointF(2.6, -2.6));
    // Frame.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(pal::kRimDark);
    p.drawRect(0, 0, 163, 134);
    p.setPen(WithAlpha(pal::kRimLight, 150));
    p.drawRect(1, 1, 161, 132);
    p.end();
    return ToIndexed(img);
}

}  // namespace art
