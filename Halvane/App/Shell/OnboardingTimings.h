#pragma once

#include <chrono>

namespace halvane {

// The first-run flow's waits. The defaults are the product's; tests pass
// short ones.
struct OnboardingTimings {
    std::chrono::milliseconds statusPoll{500};
    // From "Installed ✓" to the next step.
    std::chrono::milliseconds advanceAfterInstall{700};
    // From showing the last step to noticing a session that already runs.
    std::chrono::milliseconds detectExisting{450};
    // Between the two bursts of confetti.
    std::chrono::milliseconds secondBurst{450};
    // How long one burst of confetti falls.
    std::chrono::milliseconds confetti{2600};
    // The welcome step's scripted prompt: a pause, one line per step, a hold.
    std::chrono::milliseconds demoStart{400};
    std::chrono::milliseconds demoLine{450};
    std::chrono::milliseconds demoHold{2000};
};

}  // namespace halvane
