// The pieces both skins are made of.
#pragma once
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRect>
#include <QString>

namespace art {

// Fills the outside with the rim colour and the body with its gradient and brushing.
void PaintBody(QImage& img, const QPolygon& outline, unsigned seed);
// The dark edge with its light line, drawn last so the cut-out edge looks finished.
void PaintRim(QPainter& p, const QPolygon& outline);
// Silver ring with engraved lettering, and the glossy sphere with the Vyn mark inside it.
void PaintEmblem(QPainter& p);
// The sphere alone at any size (the display watermark, the banner, the help page).
void PaintSphere(QPainter& p, QPointF centre, double radius, bool withWord);
// The x, dash and question-mark keys in their zones, kept inside the rim.
void PaintKeys(QPainter& p, const QPolygon& outline);
// Recessed display frame around `screen`, which is filled flat with the display colour.
void PaintDisplayFrame(QPainter& p, const QRect& screen);
// A recessed slot for the connect button (or the labels that stand in for it).
void PaintSlot(QPainter& p, const QRect& slot);
// Speaker-like perforation on the right lobe, right of x = left.
void PaintGrille(QPainter& p, const QPolygon& outline, double left);
// A recessed plate in the shape of a zone, kept inside the rim.
void PaintZonePlate(QPainter& p, const QPolygon& zone, const QPolygon& outline);
// Caption plate of the zone that starts the other edition: an icon and the caption in two lines. The
// handset marks the conventional line, the sphere the Corvala line.
enum class PlateIcon { Handset, Sphere };
void PaintLinePlate(QPainter& p, const QPolygon& outline, PlateIcon icon, const QString& caption);
// Signal ripples spreading from the emblem over the lower body.
void PaintRipples(QPainter& p);
// Fine accent lines under the upper edge.
void PaintSlopeLines(QPainter& p);

}  // namespace art
