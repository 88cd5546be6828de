#include "Halvane/Notch/Components/NotchButtonStyle.h"

#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

QColor NotchButtonStyle::fill() const {
    return filled ? NotchPalette::withOpacity(tint, 0.95) : QColor::fromRgbF(1, 1, 1, 0.06f);
}

QColor NotchButtonStyle::border() const {
    return QColor::fromRgbF(1, 1, 1, filled ? 0.12f : 0.1f);
}

QColor NotchButtonStyle::labelColor() const {
    return filled ? QColor(Qt::white) : QColor::fromRgbF(1, 1, 1, 0.85f);
}

QColor NotchButtonStyle::shadowColor() const {
    return NotchPalette::withOpacity(tint, kShadowOpacity);
}

qreal NotchButtonStyle::opacityAt(qreal pressed) {
    return 1 + (kPressedOpacity - 1) * pressed;
}

qreal NotchButtonStyle::scaleAt(qreal pressed) {
    return 1 + (kPressedScale - 1) * pressed;
}

void NotchButtonStyle::paintBackground(QPainter& painter, const QRectF& frame) const {
    NotchShapes::fillRoundedRect(painter, frame, kCornerRadius, fill(), border(), 1);
}

}  // namespace halvane
