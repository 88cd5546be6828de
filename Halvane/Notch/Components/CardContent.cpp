#include "Halvane/Notch/Components/CardContent.h"

#include <QPainter>

#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

CardContent::CardContent(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void CardContent::addGlow(QWidget* target, SoftShadow shadow, qreal cornerRadius) {
    m_glows.push_back({target, std::move(shadow), cornerRadius});
    update();
}

void CardContent::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const Glow& glow : m_glows) {
        if (glow.target == nullptr || !glow.target->isVisibleTo(this)) {
            continue;
        }
        const QRectF frame(glow.target->mapTo(this, QPoint(0, 0)), glow.target->size());
        glow.shadow.paint(painter, NotchShapes::continuousRoundedRect(frame, glow.cornerRadius));
    }
}

}  // namespace halvane
