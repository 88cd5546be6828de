#include "NotchTransitionEffect.h"

#include <QPainter>
#include <QPixmap>

namespace notchkit {

NotchTransitionEffect::NotchTransitionEffect(NotchTransition transition, QObject* parent)
    : QGraphicsEffect(parent), m_transition(transition) {
    updateEnabled();
}

void NotchTransitionEffect::setPresence(double presence) {
    if (presence == m_presence) {
        return;
    }
    m_presence = presence;
    updateEnabled();
    updateBoundingRect();
    update();
}

void NotchTransitionEffect::setClipPath(std::optional<QPainterPath> clip) {
    if (clip == m_clip) {
        return;
    }
    m_clip = std::move(clip);
    updateEnabled();
    update();
}

void NotchTransitionEffect::updateEnabled() {
    // Steady content paints as if there were no effect at all.
    setEnabled(m_presence < 1 || m_clip.has_value());
}

QRectF NotchTransitionEffect::boundingRectFor(const QRectF& sourceRect) const {
    const double spread = m_transition.blur(m_presence).intensity;
    return sourceRect.adjusted(-spread, -spread, spread, spread);
}

void NotchTransitionEffect::draw(QPainter* painter) {
    if (m_presence <= 0) {
        return;
    }
    painter->save();
    if (m_clip) {
        painter->setClipPath(*m_clip, Qt::IntersectClip);
    }
    if (m_presence >= 1) {
        drawSource(painter);
        painter->restore();
        return;
    }
    QPoint offset;
    const QPixmap source =
        sourcePixmap(Qt::LogicalCoordinates, &offset, PadToEffectiveBoundingRect);
    if (source.isNull()) {
        painter->restore();
        return;
    }
    m_transition.paint(*painter, source.toImage(), QPointF(offset),
                       sourceBoundingRect(Qt::LogicalCoordinates), m_presence);
    painter->restore();
}

}  // namespace notchkit
