#include "NotchTransition.h"

#include <QPainter>

#include <algorithm>

#include "ImageBlur.h"

namespace notchkit {

namespace {
double mix(double active, double identity, double presence) {
    return active + (identity - active) * presence;
}
}  // namespace

double NotchTransition::opacity(double presence) const {
    return std::clamp(presence, 0.0, 1.0);
}

ScaleModifier NotchTransition::scale(double presence) const {
    // A spring may overshoot presence past 1; let the scale follow it a little.
    const double p = std::clamp(presence, 0.0, 1.1);
    return {std::max(0.0, mix(activeScale.xScale, 1, p)),
            std::max(0.0, mix(activeScale.yScale, 1, p)), activeScale.anchor};
}

BlurModifier NotchTransition::blur(double presence) const {
    return {std::max(0.0, mix(activeBlur.intensity, 0, std::clamp(presence, 0.0, 1.0)))};
}

void NotchTransition::paint(QPainter& painter, QImage image, const QPointF& offset,
                            const QRectF& bounds, double presence) const {
    if (presence <= 0 || image.isNull()) {
        return;
    }
    ImageBlur::blur(image, blur(presence).intensity * image.devicePixelRatio());
    const ScaleModifier scaling = scale(presence);
    const QPointF anchor(bounds.left() + bounds.width() * scaling.anchor.x(),
                         bounds.top() + bounds.height() * scaling.anchor.y());
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(painter.opacity() * opacity(presence));
    painter.translate(anchor);
    painter.scale(scaling.xScale, scaling.yScale);
    painter.translate(-anchor);
    painter.drawImage(offset, image);
    painter.restore();
}

}  // namespace notchkit
