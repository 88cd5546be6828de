#pragma once

#include <optional>
#include <string_view>

namespace halvane {

// The four ways a session row presents a session, most urgent first.
enum class SessionUIStatus { waiting, working, done, idle };

constexpr std::string_view rawValue(SessionUIStatus status) {
    switch (status) {
        case SessionUIStatus::waiting:
            return "waiting";
        case SessionUIStatus::working:
            return "working";
        case SessionUIStatus::done:
            return "done";
        case SessionUIStatus::idle:
            return "idle";
    }
    return "idle";
}

constexpr std::optional<SessionUIStatus> sessionUIStatusFromRaw(std::string_view raw) {
    for (const auto status : {SessionUIStatus::waiting, SessionUIStatus::working,
                              SessionUIStatus::done, SessionUIStatus::idle}) {
        if (rawValue(status) == raw) {
            return status;
        }
    }
    return std::nullopt;
}

}  // namespace halvane
