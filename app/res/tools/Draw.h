// Drawing helpers shared by the pictures: path shaping, soft shadows, bevels, text.
#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QString>

namespace art {

QPainterPath PathOf(const QPolygonF& polygon);
// Moves the border of a shape in (Shrink) or out (Grow) by d pixels.
QPainterPath Shrink(const QPainterPath& path, double d);
QPainterPath Grow(const QPainterPath& path, double d);
// Rounds the convex corners of a shape with radius r.
QPainterPath Rounded(const QPainterPath& path, double r);

// A blurred copy of the shape in colour c, drawn offset by (dx,dy).
void SoftShadow(QPainter& p, const QPainterPath& path, QColor c, double dx, double dy, int blur);
// Light from the top left: a light line along the upper edge of the shape, a dark one along
// the lower edge, both inside it.
void Bevel(QPainter& p, const QPainterPath& path, QColor light, QColor dark, double width);

// Fine horizontal streaks, as brushed metal, inside `area`, at most +-amount in brightness.
void Brush(QImage& img, const QPainterPath& area, int amount, unsigned seed);

QFont Font(const QString& family, double pixelSize, int weight = QFont::Normal, bool italic = false,
           double letterSpacing = 0);
// Text with a one-pixel shadow (dark below) or an engraving (light below).
void ShadowText(QPainter& p, const QRectF& box, int flags, const QString& text, QColor fg, QColor shadow,
                QPointF offset = {0, 1});
// Text laid along a circle, centred on `angleDeg` (0 = right, clockwise, y down). Returns
// the angle the text spans, in degrees.
double ArcText(QPainter& p, QPointF centre, double radius, double angleDeg, const QString& text, QColor fg,
               QColor shadow);

QColor Mix(QColor a, QColor b, double t);
QColor WithAlpha(QColor c, int alpha);

}  // namespace art
