#pragma once

#include <optional>

#include "Animation.h"

namespace notchkit {

// One number a view draws with, moving towards its target under an animation.
// Retargeting mid-flight keeps the current position and speed, so a spring
// interrupted by a new state bends smoothly instead of jumping.
class AnimatedValue final {
public:
    explicit AnimatedValue(double value = 0, double tolerance = 0.01);

    double value() const { return m_value; }
    double target() const { return m_target; }
    bool isAnimating() const { return m_animation.has_value(); }

    // Without an animation the value jumps to the target.
    void setTarget(double target, const std::optional<Animation>& animation, double now);
    // Jumps to `value`, dropping any animation.
    void reset(double value);
    // Brings the value to the instant `now` (seconds); true while it still moves.
    bool advance(double now);

private:
    double m_value;
    double m_velocity = 0;
    double m_target;
    double m_tolerance;
    double m_from = 0;
    double m_fromVelocity = 0;
    double m_start = 0;
    std::optional<Animation> m_animation;
};

}  // namespace notchkit
