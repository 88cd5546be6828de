#pragma once

#include <chrono>

namespace notchkit {

// The waits of the presenter's state machine; tests shorten them.
struct NotchTimings {
    // From a hide to the start of the fade-out.
    std::chrono::milliseconds closeDelay{250};
    // Fade-in and fade-out of the panel.
    std::chrono::milliseconds fadeDuration{150};
    // How often a hide held by the hovering pointer looks again.
    std::chrono::milliseconds hoverRecheck{100};
    // The brief hide between compact and expanded.
    std::chrono::milliseconds conversionPause{250};
    // How long expand and compact take to return, so the spring has settled.
    std::chrono::milliseconds settle{400};
};

}  // namespace notchkit
