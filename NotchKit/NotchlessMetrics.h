#pragma once

#include <QSizeF>

#include <algorithm>

#include "NotchState.h"
#include "NotchStyle.h"

namespace notchkit {

// Geometry of the floating card used on screens without a notch, and of its
// compact form: a pill holding the two wings side by side just below the top
// of the work area.
struct NotchlessMetrics {
    static constexpr double safeAreaInset = 15;
    static constexpr double outerPadding = 20;
    // The pill is at least this tall.
    static constexpr double pillHeight = 30;
    // Card and pill hang this far below the work area's top. Both from the
    // same edge, so a pointer resting on the pill is still on the card it
    // opens into.
    static constexpr double topGap = 6;

    double cornerRadius = 20;
    // The card: content plus its insets while expanded, the pill while
    // compact, nothing otherwise.
    QSizeF cardSize;
    // The card plus the outer padding; its height is the measured windowHeight.
    QSizeF frameSize;
    // Vertical offset of the frame from the top of the panel: the card just
    // below the menu bar while shown, else pushed out above the top edge by
    // the frame's own height.
    double yOffset = 0;

    // `wingsSize`: both wings' widths added, and the taller one's height.
    static NotchlessMetrics compute(NotchState state, NotchStyle configuredStyle,
                                    double notchHeight, QSizeF contentSize,
                                    QSizeF wingsSize = QSizeF(0, 0)) {
        NotchlessMetrics m;
        m.cornerRadius = configuredStyle.isFloating() ? configuredStyle.cornerRadius() : 20;
        switch (state) {
            case NotchState::expanded:
                m.cardSize = QSizeF(contentSize.width() + 2 * safeAreaInset,
                                    contentSize.height() + 2 * safeAreaInset);
                break;
            case NotchState::compact:
                m.cardSize = QSizeF(wingsSize.width(), std::max(pillHeight, wingsSize.height()));
                // A capsule.
                m.cornerRadius = m.cardSize.height() / 2;
                break;
            case NotchState::hidden:
                m.cardSize = QSizeF(0, 0);
                break;
        }
        m.frameSize = m.cardSize + QSizeF(2 * outerPadding, 2 * outerPadding);
        m.yOffset = state == NotchState::hidden ? -m.frameSize.height()
                                                : notchHeight + topGap - outerPadding;
        return m;
    }
};

}  // namespace notchkit
