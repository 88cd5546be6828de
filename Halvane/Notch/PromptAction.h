#pragma once

#include <QString>

#include <optional>
#include <string_view>

#include "Halvane/Notch/KeyShortcut.h"
#include "Halvane/Notch/NotchActionStyle.h"

namespace halvane {

// One button of a prompt card's action row: what it says, how it looks, the
// key that presses it and what it does.
struct PromptAction {
    enum class Kind { approve, deny, always, jump, dismiss };

    Kind kind = Kind::approve;
    QString label;
    NotchActionStyle style = NotchActionStyle::secondary;
    std::optional<KeyShortcut> shortcut = std::nullopt;

    bool operator==(const PromptAction&) const = default;
};

constexpr std::string_view rawValue(PromptAction::Kind kind) {
    switch (kind) {
        case PromptAction::Kind::approve:
            return "approve";
        case PromptAction::Kind::deny:
            return "deny";
        case PromptAction::Kind::always:
            return "always";
        case PromptAction::Kind::jump:
            return "jump";
        case PromptAction::Kind::dismiss:
            return "dismiss";
    }
    return "approve";
}

constexpr std::optional<PromptAction::Kind> promptActionKindFromRaw(std::string_view raw) {
    for (const auto kind :
         {PromptAction::Kind::approve, PromptAction::Kind::deny, PromptAction::Kind::always,
          PromptAction::Kind::jump, PromptAction::Kind::dismiss}) {
        if (rawValue(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

}  // namespace halvane
