#pragma once

#include <QSizeF>

#include "NotchState.h"
#include "NotchStyle.h"

namespace notchkit {

// What the notch form's geometry depends on.
struct NotchViewInputs {
    NotchState state = NotchState::hidden;
    QSizeF notchSize;
    double menubarHeight = 0;
    bool isHovering = false;
    // The presenter's configured style (its radii shape the expanded card).
    NotchStyle configuredStyle = NotchStyle::automatic();
    // Measured wing widths, 0 for a disabled wing.
    double compactLeadingWidth = 0;
    double compactTrailingWidth = 0;
    // Ideal size of the caller's expanded content.
    QSizeF expandedContentSize;
};

// The notch form's geometry for one set of inputs: what the black surface
// measures, where it sits and how its corners are rounded.
struct NotchViewMetrics {
    static constexpr double safeAreaInset = 15;

    double minWidth = 0;
    double compactXOffset = 0;
    double xOffset = 0;
    double topCornerRadius = 0;
    double bottomCornerRadius = 0;
    double horizontalPadding = 0;
    double compactRowHeight = 0;
    // The expanded card: content plus its insets, at least the notch wide.
    QSizeF cardSize;
    // The black surface (the masked view), ears included.
    QSizeF surfaceSize;

    static NotchViewMetrics compute(const NotchViewInputs& inputs);
};

}  // namespace notchkit
