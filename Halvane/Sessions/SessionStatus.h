#pragma once

#include <QObject>

#include <optional>

#include "Halvane/Sessions/PendingPrompt.h"

namespace halvane {

// What a session is doing. Only waitingForUser carries a value: the prompt
// the user is asked to answer.
class SessionStatus final {
    Q_GADGET

public:
    enum class Kind { waitingForUser, idle, working };
    Q_ENUM(Kind)

    SessionStatus() = default;
    static SessionStatus waitingForUser(PendingPrompt prompt);
    static SessionStatus idle() { return SessionStatus(Kind::idle); }
    static SessionStatus working() { return SessionStatus(Kind::working); }

    Kind kind() const { return m_kind; }
    bool isWaitingForUser() const { return m_kind == Kind::waitingForUser; }
    // The held prompt; null unless waiting for the user.
    const PendingPrompt* prompt() const { return m_prompt ? &*m_prompt : nullptr; }

private:
    explicit SessionStatus(Kind kind) : m_kind(kind) {}

    Kind m_kind = Kind::idle;
    std::optional<PendingPrompt> m_prompt;
};

}  // namespace halvane
