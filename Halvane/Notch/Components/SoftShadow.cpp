#include "Halvane/Notch/Components/SoftShadow.h"

#include <QPainter>

#include <cmath>

#include "NotchKit/ImageBlur.h"

namespace halvane {

SoftShadow::SoftShadow(const QColor& color, qreal radius, QPointF offset)
    : m_color(color), m_radius(radius), m_offset(offset) {}

qreal SoftShadow::reach() const {
    return 2 * m_radius;
}

void SoftShadow::paint(QPainter& painter, const QPainterPath& shape) const {
    if (shape.isEmpty() || m_color.alpha() == 0) {
        return;
    }
    const QRectF bounds = shape.boundingRect();
    const QPainterPath atOrigin = shape.translated(-bounds.topLeft());
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1;
    const qreal margin = reach();
    if (atOrigin != m_cachedShape || ratio != m_cachedRatio || m_cached.isNull()) {
        const QSizeF size = bounds.size() + QSizeF(2 * margin, 2 * margin);
        QImage image(QSize(static_cast<int>(std::ceil(size.width() * ratio)),
                           static_cast<int>(std::ceil(size.height() * ratio))),
                     QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        {
            QPainter shapePainter(&image);
            shapePainter.setRenderHint(QPainter::Antialiasing);
            shapePainter.setPen(Qt::NoPen);
            shapePainter.setBrush(m_color);
            shapePainter.drawPath(atOrigin.translated(margin, margin));
        }
        notchkit::ImageBlur::blur(image, m_radius * ratio);
        m_cachedShape = atOrigin;
        m_cachedRatio = ratio;
        m_cached = image;
    }
    painter.drawImage(bounds.topLeft() - QPointF(margin, margin) + m_offset, m_cached);
}

}  // namespace halvane
