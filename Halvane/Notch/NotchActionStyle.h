#pragma once

#include <optional>
#include <string_view>

namespace halvane {

// A filled accent button for the expected answer, a quiet one for the rest.
enum class NotchActionStyle { primary, secondary };

constexpr std::string_view rawValue(NotchActionStyle style) {
    return style == NotchActionStyle::primary ? "primary" : "secondary";
}

constexpr std::optional<NotchActionStyle> notchActionStyleFromRaw(std::string_view raw) {
    for (const auto style : {NotchActionStyle::primary, NotchActionStyle::secondary}) {
        if (rawValue(style) == raw) {
            return style;
        }
    }
    return std::nullopt;
}

}  // namespace halvane
