#pragma once

#include <QSizeF>

#include "NotchState.h"
#include "NotchStyle.h"

namespace notchkit {

// Geometry of the floating card used on screens without a notch.
struct NotchlessMetrics {
    static constexpr double safeAreaInset = 15;
    static constexpr double outerPadding = 20;

    double cornerRadius = 20;
    // The card: content plus its insets while expanded, nothing otherwise.
    QSizeF cardSize;
    // The card plus the outer padding; its height is the measured windowHeight.
    QSizeF frameSize;
    // Vertical offset of the frame from the top of the panel: below the menu
    // bar while expanded, else pushed out above the top edge by its own height.
    double yOffset = 0;

    static NotchlessMetrics compute(NotchState state, NotchStyle configuredStyle,
                                    double notchHeight, QSizeF contentSize) {
        NotchlessMetrics m;
        const bool expanded = state == NotchState::expanded;
        m.cornerRadius = configuredStyle.isFloating() ? configuredStyle.cornerRadius() : 20;
        m.cardSize = expanded ? QSizeF(contentSize.width() + 2 * safeAreaInset,
                                       contentSize.height() + 2 * safeAreaInset)
                              : QSizeF(0, 0);
        m.frameSize = m.cardSize + QSizeF(2 * outerPadding, 2 * outerPadding);
        m.yOffset = expanded ? notchHeight : -m.frameSize.height();
        return m;
    }
};

}  // namespace notchkit
