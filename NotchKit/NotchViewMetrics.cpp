#include "NotchViewMetrics.h"

#include <algorithm>

namespace notchkit {

NotchViewMetrics NotchViewMetrics::compute(const NotchViewInputs& in) {
    NotchViewMetrics m;
    const bool expanded = in.state == NotchState::expanded;
    const bool compact = in.state == NotchState::compact;
    const bool notchStyle = in.configuredStyle.isNotch();
    const double notchWidth = in.notchSize.width();
    const double notchHeight = in.notchSize.height();

    const double expandedTop = notchStyle ? in.configuredStyle.topCornerRadius() : 15;
    const double expandedBottom = notchStyle ? in.configuredStyle.bottomCornerRadius() : 20;

    if (expanded) {
        m.minWidth = notchWidth + (notchStyle ? 2 * in.configuredStyle.topCornerRadius() : 30);
    } else {
        m.minWidth = notchWidth + 12;
    }
    m.compactXOffset = (in.compactTrailingWidth - in.compactLeadingWidth) / 2;
    m.xOffset = compact ? m.compactXOffset : 0;
    m.topCornerRadius = expanded ? expandedTop : 6;
    m.bottomCornerRadius = expanded ? expandedBottom : 14;
    m.horizontalPadding = expanded ? expandedTop : 6;
    m.compactRowHeight = compact && in.isHovering ? in.menubarHeight : notchHeight;

    m.cardSize = QSizeF(std::max(in.expandedContentSize.width() + 2 * safeAreaInset, notchWidth),
                        in.expandedContentSize.height() + notchHeight + safeAreaInset);

    // The layered stack holds the compact row and, while expanded, the card.
    QSizeF stack;
    if (compact) {
        stack = QSizeF(in.compactLeadingWidth + notchWidth + in.compactTrailingWidth,
                       m.compactRowHeight);
    } else {
        stack = QSizeF(notchWidth, notchHeight);
    }
    if (expanded) {
        stack = stack.expandedTo(m.cardSize);
    }
    m.surfaceSize = QSizeF(std::max(stack.width() + 2 * m.horizontalPadding, m.minWidth),
                           std::max(stack.height(), notchHeight));
    return m;
}

}  // namespace notchkit
