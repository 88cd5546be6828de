#include "NotchShape.h"

namespace notchkit {

QPainterPath NotchShape::path(const QRectF& rect) const {
    const double t = m_topCornerRadius;
    const double b = m_bottomCornerRadius;
    const double minX = rect.left();
    const double maxX = rect.right();
    const double minY = rect.top();
    const double maxY = rect.bottom();
    QPainterPath path;
    path.moveTo(minX, minY);
    path.quadTo(minX + t, minY, minX + t, minY + t);
    path.lineTo(minX + t, maxY - b);
    path.quadTo(minX + t, maxY, minX + t + b, maxY);
    path.lineTo(maxX - t - b, maxY);
    path.quadTo(maxX - t, maxY, maxX - t, maxY - b);
    path.lineTo(maxX - t, minY + t);
    path.quadTo(maxX - t, minY, maxX, minY);
    path.lineTo(minX, minY);
    path.closeSubpath();
    return path;
}

NotchShape NotchShape::interpolated(const NotchShape& other, double fraction) const {
    return NotchShape(
        m_topCornerRadius + (other.m_topCornerRadius - m_topCornerRadius) * fraction,
        m_bottomCornerRadius + (other.m_bottomCornerRadius - m_bottomCornerRadius) * fraction);
}

}  // namespace notchkit
