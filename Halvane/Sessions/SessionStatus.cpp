#include "Halvane/Sessions/SessionStatus.h"

#include <utility>

namespace halvane {

SessionStatus SessionStatus::waitingForUser(PendingPrompt prompt) {
    SessionStatus status(Kind::waitingForUser);
    status.m_prompt = std::move(prompt);
    return status;
}

std::string_view rawValue(SessionStatus::Kind kind) {
    switch (kind) {
        case SessionStatus::Kind::waitingForUser:
            return "waitingForUser";
        case SessionStatus::Kind::idle:
            return "idle";
        case SessionStatus::Kind::working:
            return "working";
    }
    return "idle";
}

std::optional<SessionStatus::Kind> sessionStatusKindFromRaw(std::string_view raw) {
    for (auto kind : {SessionStatus::Kind::waitingForUser, SessionStatus::Kind::idle,
                      SessionStatus::Kind::working}) {
        if (rawValue(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

}  // namespace halvane
