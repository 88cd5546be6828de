#include "Halvane/Sessions/DecisionHolder.h"

namespace halvane {

bool DecisionHolder::offer(const HookDecision& decision) {
    std::lock_guard lock(m_mutex);
    if (m_offered || m_read) {
        return false;
    }
    m_decision = decision;
    m_offered = true;
    wakeLocked();
    return true;
}

HookDecision DecisionHolder::await(std::chrono::milliseconds wait) {
    // Whether the wait ended by an offer or by time-out does not matter: the
    // holder says what there is to send.
    (void)m_ready.try_acquire_for(wait);
    std::lock_guard lock(m_mutex);
    m_read = true;
    return m_decision;
}

std::optional<HookDecision> DecisionHolder::awaitFor(std::chrono::milliseconds wait) {
    if (!m_ready.try_acquire_for(wait)) {
        return std::nullopt;
    }
    std::lock_guard lock(m_mutex);
    m_read = true;
    return m_decision;
}

void DecisionHolder::cancel() {
    std::lock_guard lock(m_mutex);
    wakeLocked();
}

void DecisionHolder::wakeLocked() {
    if (!m_woken) {
        m_woken = true;
        m_ready.release();
    }
}

}  // namespace halvane
