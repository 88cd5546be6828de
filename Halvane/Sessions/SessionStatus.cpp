#include "Halvane/Sessions/SessionStatus.h"

#include <utility>

namespace halvane {

SessionStatus SessionStatus::waitingForUser(PendingPrompt prompt) {
    SessionStatus status(Kind::waitingForUser);
    status.m_prompt = std::move(prompt);
    return status;
}

}  // namespace halvane
