#pragma once

#include <optional>

#include "Animation.h"

namespace notchkit {

// Animations a caller may impose on the presenter's transitions; absent ones
// fall back to the presenter's springs.
struct NotchTransitionConfiguration {
    std::optional<Animation> openingAnimation;
    std::optional<Animation> closingAnimation;
    std::optional<Animation> conversionAnimation;
    // Convert compact <-> expanded directly instead of through a brief hide.
    bool skipIntermediateHides = false;
};

}  // namespace notchkit
