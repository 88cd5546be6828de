#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>

class QPainter;

namespace halvane {

// A soft, coloured shadow (or glow) under a shape, painted by whoever has
// room around the shape. Views paint these themselves rather than through
// graphics effects, which do not nest inside the notch's own effects.
class SoftShadow final {
public:
    SoftShadow(const QColor& color, qreal radius, QPointF offset = {});

    const QColor& color() const { return m_color; }
    qreal radius() const { return m_radius; }
    QPointF offset() const { return m_offset; }
    // How far the shadow reaches past the shape.
    qreal reach() const;

    // Paints the shadow of `shape`, given in the painter's coordinates.
    void paint(QPainter& painter, const QPainterPath& shape) const;

private:
    QColor m_color;
    qreal m_radius;
    QPointF m_offset;
    // The last shape drawn (moved to the origin) and its blurred picture.
    mutable QPainterPath m_cachedShape;
    mutable qreal m_cachedRatio = 0;
    mutable QImage m_cached;
};

}  // namespace halvane
