#pragma once

#include <QFlags>

namespace notchkit {

// How the notch reacts to the pointer.
enum class NotchHoverOption {
    none = 0x0,
    // A requested hide waits while the pointer is over the notch.
    keepVisible = 0x1,
    // A stronger shadow while hovered.
    increaseShadow = 0x4,
    all = keepVisible | increaseShadow,
};
Q_DECLARE_FLAGS(NotchHoverBehavior, NotchHoverOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(NotchHoverBehavior)

}  // namespace notchkit
