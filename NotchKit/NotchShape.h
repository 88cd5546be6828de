#pragma once

#include <QPainterPath>
#include <QRectF>

namespace notchkit {

// The notch outline: concave ears of radius topCornerRadius where it meets the
// top edge, straight sides inset by that radius, and bottom corners of radius
// bottomCornerRadius. As wide as its rectangle, ears included.
class NotchShape final {
public:
    constexpr NotchShape(double topCornerRadius = 6, double bottomCornerRadius = 14)
        : m_topCornerRadius(topCornerRadius), m_bottomCornerRadius(bottomCornerRadius) {}

    constexpr double topCornerRadius() const { return m_topCornerRadius; }
    constexpr double bottomCornerRadius() const { return m_bottomCornerRadius; }

    QPainterPath path(const QRectF& rect) const;

    // The shape part-way to `other` (0 = this, 1 = other): radii animate.
    NotchShape interpolated(const NotchShape& other, double fraction) const;

private:
    double m_topCornerRadius;
    double m_bottomCornerRadius;
};

}  // namespace notchkit
