#include "CardBackdrop.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace notchkit {

CardBackdrop::CardBackdrop(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CardBackdrop::setCornerRadius(double radius) {
    if (radius != m_cornerRadius) {
        m_cornerRadius = radius;
        update();
    }
}

void CardBackdrop::setTranslucent(bool translucent) {
    if (translucent != m_translucent) {
        m_translucent = translucent;
        update();
    }
}

QColor CardBackdrop::fill(bool translucent) {
    // The notch's black, so text on it has the notch's contrast; its border
    // sets it off a dark desktop.
    return translucent ? QColor(0, 0, 0, 235) : QColor(0, 0, 0);
}

void CardBackdrop::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    QPainterPath card;
    card.addRoundedRect(bounds, m_cornerRadius, m_cornerRadius);
    painter.fillPath(card, fill(m_translucent));
    // The quaternary border: white at low opacity, inside the edge.
    painter.setPen(QPen(QColor(255, 255, 255, 26), 1));
    const double inner = std::max(0.0, m_cornerRadius - 0.5);
    painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), inner, inner);
}

}  // namespace notchkit
