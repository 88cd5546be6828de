#include "Halvane/Notch/Components/CollapseButton.h"

#include <QPainter>

#include "Halvane/Theme/IconGlyphs.h"

namespace halvane {

CollapseButton::CollapseButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Collapse"));
    setAccessibleName(QStringLiteral("Collapse"));
    setFixedSize(kSide, kSide);
}

void CollapseButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // A touch brighter under the pointer or finger, so it reads as a button.
    const float fill = isDown() ? 0.2f : (underMouse() ? 0.15f : 0.1f);
    painter.setBrush(QColor::fromRgbF(1, 1, 1, fill));
    const QRectF circle(0, 0, kSide, kSide);
    painter.drawEllipse(circle);
    IconGlyphs::draw(painter, Icon::chevronUp, circle, 10, QFont::Bold,
                     QColor::fromRgbF(1, 1, 1, 0.65f));
}

bool CollapseButton::hitButton(const QPoint& position) const {
    const QPointF offset = QPointF(position) - QRectF(rect()).center();
    return offset.x() * offset.x() + offset.y() * offset.y() <= kSide * kSide / 4.0;
}

void CollapseButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    update();
}

void CollapseButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    update();
}

}  // namespace halvane
