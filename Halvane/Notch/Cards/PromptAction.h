#pragma once

#include <QObject>
#include <QString>

#include <optional>

#include "Halvane/Notch/Components/KeyShortcut.h"
#include "Halvane/Notch/Components/NotchActionStyle.h"

namespace halvane {

// One button of a prompt card's action row: what it says, how it looks, the
// key that presses it and what it does.
struct PromptAction {
    Q_GADGET

public:
    enum class Kind { approve, deny, always, jump, dismiss };
    Q_ENUM(Kind)

    Kind kind = Kind::approve;
    QString label;
    NotchActionStyle style = NotchActionStyle::secondary;
    std::optional<KeyShortcut> shortcut = std::nullopt;

    bool operator==(const PromptAction&) const = default;
};

}  // namespace halvane
