#pragma once

#include <QImage>
#include <QRectF>

#include "BlurModifier.h"
#include "ScaleModifier.h"

class QPainter;

namespace notchkit {

// How an element enters and leaves: a fade combined with a scale and a blur.
// The active end is the removed (or not yet inserted) look; the identity end
// is full opacity, scale 1 and no blur. Presence runs from 0 (active) to 1.
struct NotchTransition {
    ScaleModifier activeScale;
    BlurModifier activeBlur;

    // The expanded card of the notch form grows down from the top.
    static NotchTransition expandedContent() { return {{1.0, 0.6, {0.5, 0.0}}, {10}}; }
    // Wings grow out of the notch: the leading one from its trailing edge...
    static NotchTransition leadingWing() { return {{0.0, 1.0, {1.0, 0.5}}, {10}}; }
    // ...the trailing one from its leading edge.
    static NotchTransition trailingWing() { return {{0.0, 1.0, {0.0, 0.5}}, {10}}; }
    // The floating card's content only fades and sharpens.
    static NotchTransition floatingContent() { return {{1.0, 1.0, {0.5, 0.5}}, {10}}; }
    // Labels of the ready-made info content pop from 0.8 about their centre.
    static NotchTransition infoLabel() { return {{0.8, 0.8, {0.5, 0.5}}, {10}}; }

    double opacity(double presence) const;
    ScaleModifier scale(double presence) const;
    BlurModifier blur(double presence) const;

    // Draws `image`, a picture of the element whose bounds are `bounds`, at
    // `presence`. `offset` places the image relative to the painter.
    void paint(QPainter& painter, QImage image, const QPointF& offset, const QRectF& bounds,
               double presence) const;
};

}  // namespace notchkit
