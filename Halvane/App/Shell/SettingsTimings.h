#pragma once

#include <chrono>

namespace halvane {

// The settings window's waits. The defaults are the product's; tests pass
// short ones.
struct SettingsTimings {
    // How often the Connection tab re-reads Claude Code's settings file.
    std::chrono::milliseconds connectionPoll{1500};
    // How often the Permissions tab re-checks the window manager.
    std::chrono::milliseconds permissionsPoll{500};
    // From closing settings to opening onboarding again.
    std::chrono::milliseconds replayDelay{200};
};

}  // namespace halvane
