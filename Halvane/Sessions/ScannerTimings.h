#pragma once

#include <chrono>

namespace halvane {

// The scanner's rhythm and windows. The defaults are the product's; tests
// pass short ones.
struct ScannerTimings {
    // How often the process table is swept for agents that have exited,
    // where their exits cannot be watched.
    std::chrono::milliseconds pruneInterval{500};
    // How often everything is scanned, file events or not.
    std::chrono::milliseconds fallbackInterval{5000};
    // Transcripts not written for longer belong to no active session.
    std::chrono::milliseconds activeWindow{std::chrono::seconds(600)};
    // A transcript quiet for longer has finished its turn, whatever it says.
    std::chrono::milliseconds quietTurnEnds{std::chrono::seconds(60)};
};

}  // namespace halvane
