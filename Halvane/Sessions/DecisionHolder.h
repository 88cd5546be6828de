#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <semaphore>

#include "HalvaneProtocol/HookDecision.h"

namespace halvane {

// One connection's answer. The main thread offers it, the connection's worker
// waits for it, reads it once and writes it to the wire. Both sides go through
// one mutex because the wait may end by time-out just as the offer arrives:
// either the offer lands before the read and is sent, or it is lost.
class DecisionHolder final {
public:
    // Stores decision and wakes the waiting worker. False when an answer was
    // already offered or read; the first answer wins.
    bool offer(const HookDecision& decision);

    // Waits up to wait for an offer, then returns the decision: the offered one,
    // else passthrough. Every later offer is lost.
    HookDecision await(std::chrono::milliseconds wait);

    // Waits up to wait for an offer and returns it; nothing when none came,
    // and a later wait may still get one. A cancel ends it with passthrough.
    std::optional<HookDecision> awaitFor(std::chrono::milliseconds wait);

    // Ends a wait at once without an answer: the server is shutting down.
    void cancel();

private:
    // Releases the semaphore at most once; a binary semaphore must never be
    // released past one. Called with m_mutex held.
    void wakeLocked();

    std::mutex m_mutex;
    HookDecision m_decision{HookDecision::Decision::passthrough};
    bool m_offered = false;
    bool m_read = false;
    bool m_woken = false;
    std::binary_semaphore m_ready{0};
};

}  // namespace halvane
