#pragma once

#include "NotchHoverBehavior.h"
#include "NotchState.h"

namespace notchkit {

// The black shadow round the notch or the floating card.
struct NotchShadow {
    double opacity = 0;
    double radius = 0;

    static NotchShadow compute(NotchHoverBehavior behavior, bool isHovering, NotchState state) {
        const bool stronger = behavior.testFlag(NotchHoverOption::increaseShadow) && isHovering;
        NotchShadow shadow;
        shadow.opacity = stronger ? 0.8 : (state == NotchState::expanded ? 0.5 : 0);
        shadow.radius = state == NotchState::hidden ? 0 : (stronger ? 20 : 10);
        return shadow;
    }
};

}  // namespace notchkit
