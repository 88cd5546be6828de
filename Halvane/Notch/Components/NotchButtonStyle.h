#pragma once

#include <QColor>
#include <QMarginsF>
#include <QRectF>

#include <chrono>

class QPainter;

namespace halvane {

// How a notch button is drawn: a filled, glowing tile in its tint for the
// expected answer, a faint glass tile otherwise. Pressed, the whole button
// dims and shrinks a little.
struct NotchButtonStyle {
    static constexpr QMarginsF kPadding{10, 5, 10, 5};
    static constexpr qreal kCornerRadius = 7;
    static constexpr qreal kPressedOpacity = 0.75;
    static constexpr qreal kPressedScale = 0.97;
    static constexpr std::chrono::milliseconds kPressAnimation{100};
    static constexpr qreal kShadowOpacity = 0.35;
    static constexpr qreal kShadowRadius = 8;

    QColor tint;
    bool filled = false;

    QColor fill() const;
    QColor border() const;
    QColor labelColor() const;
    bool hasShadow() const { return filled; }
    QColor shadowColor() const;

    // Opacity and scale at `pressed` (0 released, 1 fully pressed).
    static qreal opacityAt(qreal pressed);
    static qreal scaleAt(qreal pressed);

    void paintBackground(QPainter& painter, const QRectF& frame) const;
};

}  // namespace halvane
