#include "Halvane/Theme/NotchShapes.h"

#include <QPainter>

#include <algorithm>

namespace halvane::NotchShapes {

namespace {

// The continuous corner: how far along each edge it starts, in radii, and the
// control points of its three cubic pieces (measured from the corner).
constexpr qreal kReach = 1.52866483;
constexpr qreal kOuterControl1 = 1.08849296;
constexpr qreal kOuterControl2 = 0.86840694;
constexpr qreal kJoinAlong = 0.63149399;
constexpr qreal kJoinAcross = 0.07491100;
constexpr qreal kInnerControlAlong = 0.37282383;
constexpr qreal kInnerControlAcross = 0.16905956;

// Adds one corner. `corner` is the rectangle's corner point, `along` the unit
// direction of the edge the path arrives on, `across` the unit direction of
// the edge it leaves on. The path is already at corner - along * reach.
void addCorner(QPainterPath& path, QPointF corner, QPointF along, QPointF across, qreal r) {
    const auto at = [&](qreal back, qreal out) {
        return corner - along * back * r + across * out * r;
    };
    path.cubicTo(at(kOuterControl1, 0), at(kOuterControl2, 0), at(kJoinAlong, kJoinAcross));
    path.cubicTo(at(kInnerControlAlong, kInnerControlAcross),
                 at(kInnerControlAcross, kInnerControlAlong), at(kJoinAcross, kJoinAlong));
    path.cubicTo(at(0, kOuterControl2), at(0, kOuterControl1), at(0, kReach));
}

void fillAndStroke(QPainter& painter, const QPainterPath& shape, const QPainterPath& border,
                   const QColor& fill, const QColor& stroke, qreal lineWidth) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(shape);
    if (lineWidth > 0 && stroke.alpha() > 0) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(stroke, lineWidth));
        painter.drawPath(border);
    }
    painter.restore();
}

QRectF inset(const QRectF& rect, qreal lineWidth) {
    const qreal half = lineWidth / 2;
    return rect.adjusted(half, half, -half, -half);
}

}  // namespace

QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    const qreal shortSide = std::min(rect.width(), rect.height());
    if (rect.isEmpty()) {
        return path;
    }
    radius = std::max<qreal>(0, radius);
    if (radius * kReach > shortSide / 2) {
        const qreal fitted = std::min(radius, shortSide / 2);
        path.addRoundedRect(rect, fitted, fitted);
        return path;
    }
    const qreal reach = radius * kReach;
    const QPointF right(1, 0), down(0, 1), left(-1, 0), up(0, -1);
    path.moveTo(rect.left() + reach, rect.top());
    path.lineTo(rect.right() - reach, rect.top());
    addCorner(path, rect.topRight(), right, down, radius);
    path.lineTo(rect.right(), rect.bottom() - reach);
    addCorner(path, rect.bottomRight(), down, left, radius);
    path.lineTo(rect.left() + reach, rect.bottom());
    addCorner(path, rect.bottomLeft(), left, up, radius);
    path.lineTo(rect.left(), rect.top() + reach);
    addCorner(path, rect.topLeft(), up, right, radius);
    path.closeSubpath();
    return path;
}

QPainterPath capsule(const QRectF& rect) {
    QPainterPath path;
    const qreal radius = std::min(rect.width(), rect.height()) / 2;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void fillRoundedRect(QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill,
                     const QColor& stroke, qreal lineWidth) {
    fillAndStroke(painter, continuousRoundedRect(rect, radius),
                  continuousRoundedRect(inset(rect, lineWidth), radius - lineWidth / 2), fill,
                  stroke, lineWidth);
}

void fillCapsule(QPainter& painter, const QRectF& rect, const QColor& fill, const QColor& stroke,
                 qreal lineWidth) {
    fillAndStroke(painter, capsule(rect), capsule(inset(rect, lineWidth)), fill, stroke, lineWidth);
}

}  // namespace halvane::NotchShapes
