#pragma once

#include <optional>
#include <string_view>

namespace halvane {

// The ways a session row presents a session, most urgent first. yourTurn:
// Claude Code has waited a while for the user's next prompt.
enum class SessionUIStatus { waiting, working, done, yourTurn, idle };

constexpr std::string_view rawValue(SessionUIStatus status) {
    switch (status) {
        case SessionUIStatus::waiting:
            return "waiting";
        case SessionUIStatus::working:
            return "working";
        case SessionUIStatus::done:
            return "done";
        case SessionUIStatus::yourTurn:
            return "yourTurn";
        case SessionUIStatus::idle:
            return "idle";
    }
    return "idle";
}

constexpr std::optional<SessionUIStatus> sessionUIStatusFromRaw(std::string_view raw) {
    for (const auto status :
         {SessionUIStatus::waiting, SessionUIStatus::working, SessionUIStatus::done,
          SessionUIStatus::yourTurn, SessionUIStatus::idle}) {
        if (rawValue(status) == raw) {
            return status;
        }
    }
    return std::nullopt;
}

}  // namespace halvane
