#pragma once

#include <optional>
#include <string_view>

namespace notchkit {

// What the presenter shows: a card below the notch, two wings beside it, or nothing.
enum class NotchState { expanded, compact, hidden };

constexpr std::string_view rawValue(NotchState state) {
    switch (state) {
        case NotchState::expanded:
            return "expanded";
        case NotchState::compact:
            return "compact";
        case NotchState::hidden:
            return "hidden";
    }
    return "hidden";
}

constexpr std::optional<NotchState> notchStateFromRawValue(std::string_view raw) {
    for (const auto state : {NotchState::expanded, NotchState::compact, NotchState::hidden}) {
        if (rawValue(state) == raw) {
            return state;
        }
    }
    return std::nullopt;
}

}  // namespace notchkit
