#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

// The shapes the notch's views are made of.
namespace halvane::NotchShapes {

// A rounded rectangle with continuous corners: each corner eases out of the
// straight edge instead of meeting a circular arc abruptly, which reads softer
// at small sizes. When the rectangle is too small for that, the corner becomes
// a circular arc of the largest radius that fits.
QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius);

// A rectangle whose short sides are full half-circles.
QPainterPath capsule(const QRectF& rect);

// Fills the continuous rounded rectangle `rect` with `fill` and, when `lineWidth`
// is positive, strokes `stroke` inside its edge so the border never grows the
// shape.
void fillRoundedRect(QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill,
                     const QColor& stroke = Qt::transparent, qreal lineWidth = 0);

// The same for a capsule.
void fillCapsule(QPainter& painter, const QRectF& rect, const QColor& fill,
                 const QColor& stroke = Qt::transparent, qreal lineWidth = 0);

}  // namespace halvane::NotchShapes
