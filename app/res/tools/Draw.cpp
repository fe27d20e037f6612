#include "Draw.h"

#include <QFontMetricsF>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace art {
namespace {

QPainterPath Stroke(const QPainterPath& path, double width) {
    QPainterPathStroker s;
    s.setWidth(width);
    s.setJoinStyle(Qt::RoundJoin);
    s.setCapStyle(Qt::RoundCap);
    return s.createStroke(path).simplified();
}

// Three box blurs of the alpha channel come close to a Gaussian.
void BlurAlpha(QImage& img, int radius) {
    if (radius <= 0) return;
    const int w = img.width(), h = img.height();
    std::vector<int> line(std::max(w, h)), out(std::max(w, h));
    auto pass = [&](bool rows) {
        const int n = rows ? w : h, m = rows ? h : w;
        for (int j = 0; j < m; ++j) {
            for (int i = 0; i < n; ++i) line[i] = qAlpha(rows ? img.pixel(i, j) : img.pixel(j, i));
            int sum = 0;
            for (int i = -radius; i <= radius; ++i) sum += line[std::clamp(i, 0, n - 1)];
            for (int i = 0; i < n; ++i) {
                out[i] = sum / (2 * radius + 1);
                sum += line[std::min(i + radius + 1, n - 1)] - line[std::max(i - radius, 0)];
            }
            for (int i = 0; i < n; ++i) {
                if (rows) img.setPixel(i, j, qRgba(0, 0, 0, out[i]));
                else img.setPixel(j, i, qRgba(0, 0, 0, out[i]));
            }
        }
    };
    for (int k = 0; k < 3; ++k) {
        pass(true);
        pass(false);
    }
}

}  // namespace

QPainterPath PathOf(const QPolygonF& polygon) {
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    return path;
}

QPainterPath Shrink(const QPainterPath& path, double d) { return path.subtracted(Stroke(path, 2 * d)).simplified(); }

QPainterPath Grow(const QPainterPath& path, double d) { return path.united(Stroke(path, 2 * d)).simplified(); }

QPainterPath Rounded(const QPainterPath& path, double r) { return Grow(Shrink(path, r), r); }

void SoftShadow(QPainter& p, const QPainterPath& path, QColor c, double dx, double dy, int blur) {
    const QRectF r = path.boundingRect().adjusted(-3 * blur - 2, -3 * blur - 2, 3 * blur + 2, 3 * blur + 2);
    QImage mask(r.size().toSize() + QSize(1, 1), QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    {
        QPainter m(&mask);
        m.setRenderHint(QPainter::Antialiasing);
        m.translate(-r.topLeft());
        m.fillPath(path, Qt::black);
    }
    BlurAlpha(mask, blur);
    QImage tinted(mask.size(), QImage::Format_ARGB32);
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            tinted.setPixel(x, y, qRgba(c.red(), c.green(), c.blue(), qAlpha(mask.pixel(x, y)) * c.alpha() / 255));
    p.drawImage(r.topLeft() + QPointF(dx, dy), tinted);
}

void Bevel(QPainter& p, const QPainterPath& path, QColor light, QColor dark, double width) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipPath(path, Qt::IntersectClip);
    const QRectF b = path.boundingRect();
    // The edge band, lit according to how much it faces up-left.
    QLinearGradient g(b.topLeft(), b.bottomRight());
    g.setColorAt(0.0, light);
    g.setColorAt(0.45, WithAlpha(light, light.alpha() / 3));
    g.setColorAt(0.55, WithAlpha(dark, dark.alpha() / 3));
    g.setColorAt(1.0, dark);
    p.setPen(QPen(QBrush(g), 2 * width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.restore();
}

void Brush(QImage& img, const QPainterPath& area, int amount, unsigned seed) {
    QImage mask(img.size(), QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    {
        QPainter m(&mask);
        m.setRenderHint(QPainter::Antialiasing);
        m.fillPath(area, Qt::black);
    }
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    const int w = img.width();
    std::vector<double> noise(w), smooth(w);
    for (int y = 0; y < img.height(); ++y) {
        for (double& v : noise) v = u(rng);
        // Long horizontal averaging turns white noise into streaks.
        const int k = 9;
        for (int x = 0; x < w; ++x) {
            double s = 0;
            for (int i = -k; i <= k; ++i) s += noise[std::clamp(x + i, 0, w - 1)];
            smooth[x] = s / std::sqrt(2.0 * k + 1);
        }
        const double rowShift = u(rng) * 0.5;
        for (int x = 0; x < w; ++x) {
            const int a = qAlpha(mask.pixel(x, y));
            if (a == 0) continue;
            const double d = std::clamp((smooth[x] * 0.6 + rowShift) * amount, -1.0 * amount, 1.0 * amount) * a /
                             255.0;
            const QRgb c = img.pixel(x, y);
            auto ch = [&](int v) { return std::clamp(int(std::lround(v + d)), 0, 255); };
            img.setPixel(x, y, qRgb(ch(qRed(c)), ch(qGreen(c)), ch(qBlue(c))));
        }
    }
}

QFont Font(const QString& family, double pixelSize, int weight, bool italic, double spacing) {
    QFont f(family);
    f.setPixelSize(int(std::lround(pixelSize)));
    f.setWeight(QFont::Weight(weight));
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferFullHinting);
    if (spacing != 0) f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return f;
}

void ShadowText(QPainter& p, const QRectF& box, int flags, const QString& text, QColor fg, QColor shadow,
                QPointF offset) {
    p.save();
    p.setPen(shadow);
    p.drawText(box.translated(offset), flags, text);
    p.setPen(fg);
    p.drawText(box, flags, text);
    p.restore();
}

double ArcText(QPainter& p, QPointF centre, double radius, double angleDeg, const QString& text, QColor fg,
               QColor shadow) {
    const QFontMetricsF fm(p.font());
    const double total = fm.horizontalAdvance(text);
    const double base = (fm.ascent() - fm.descent()) / 2;
    double pos = -total / 2;
    for (const QChar ch : text) {
        const double w = fm.horizontalAdvance(ch);
        const double a = angleDeg + (pos + w / 2) / radius * 180.0 / std::numbers::pi;
        const double rad = a * std::numbers::pi / 180.0;
        p.save();
        p.translate(centre + QPointF(std::cos(rad), std::sin(rad)) * radius);
        p.rotate(a + 90);
        p.setPen(shadow);
        p.drawText(QPointF(-w / 2, base + 1), QString(ch));
        p.setPen(fg);
        p.drawText(QPointF(-w / 2, base), QString(ch));
        p.restore();
        pos += w;
    }
    return total / radius * 180.0 / std::numbers::pi;
}

QColor Mix(QColor a, QColor b, double t) {
    return QColor::fromRgbF(
        float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
        float(a.blueF() + (b.blueF() - a.blueF()) * t), float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QColor WithAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

}  // namespace art
