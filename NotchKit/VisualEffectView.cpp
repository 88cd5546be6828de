#include "VisualEffectView.h"

#include <QPainter>
#include <QPainterPath>

namespace notchkit {

VisualEffectView::VisualEffectView(Material material, BlendingMode blendingMode, QWidget* parent)
    : QWidget(parent), m_material(material), m_blendingMode(blendingMode) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void VisualEffectView::setCornerRadius(double radius) {
    if (radius != m_cornerRadius) {
        m_cornerRadius = radius;
        update();
    }
}

void VisualEffectView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    QPainterPath card;
    card.addRoundedRect(bounds, m_cornerRadius, m_cornerRadius);
    // The popover material follows the desktop's light or dark palette.
    const QColor window = palette().color(QPalette::Window);
    const bool dark = window.lightnessF() < 0.5;
    QColor fill = dark ? QColor(38, 38, 40) : QColor(246, 246, 246);
    fill.setAlphaF(0.96);
    painter.fillPath(card, fill);
    // The quaternary border: the text colour at low opacity, inside the edge.
    QColor border = palette().color(QPalette::WindowText);
    border.setAlphaF(0.1);
    painter.setPen(QPen(border, 1));
    painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), m_cornerRadius - 0.5,
                            m_cornerRadius - 0.5);
}

}  // namespace notchkit
