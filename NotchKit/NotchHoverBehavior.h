#pragma once

namespace notchkit {

// How the notch reacts to the pointer; an option set over a signed raw value.
struct NotchHoverBehavior {
    int rawValue = 0;

    static constexpr NotchHoverBehavior none() { return {0}; }
    // A requested hide waits while the pointer is over the notch.
    static constexpr NotchHoverBehavior keepVisible() { return {1}; }
    // A haptic tick when the pointer enters or leaves (no such device on desktops).
    static constexpr NotchHoverBehavior hapticFeedback() { return {2}; }
    // A stronger shadow while hovered.
    static constexpr NotchHoverBehavior increaseShadow() { return {4}; }
    static constexpr NotchHoverBehavior all() { return {7}; }

    constexpr bool contains(NotchHoverBehavior member) const {
        return (rawValue & member.rawValue) == member.rawValue;
    }
    constexpr bool isEmpty() const { return rawValue == 0; }
    constexpr NotchHoverBehavior operator|(NotchHoverBehavior other) const {
        return {rawValue | other.rawValue};
    }
    constexpr bool operator==(const NotchHoverBehavior&) const = default;
};

}  // namespace notchkit
