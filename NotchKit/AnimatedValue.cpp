#include "AnimatedValue.h"

namespace notchkit {

AnimatedValue::AnimatedValue(double value, double tolerance)
    : m_value(value), m_target(value), m_tolerance(tolerance) {}

void AnimatedValue::setTarget(double target, const std::optional<Animation>& animation,
                              double now) {
    advance(now);
    if (target == m_target && (m_animation || m_value == target)) {
        return;
    }
    m_target = target;
    if (!animation) {
        reset(target);
        return;
    }
    m_from = m_value;
    m_fromVelocity = m_velocity;
    m_start = now;
    m_animation = animation;
}

void AnimatedValue::reset(double value) {
    m_value = value;
    m_target = value;
    m_velocity = 0;
    m_animation.reset();
}

bool AnimatedValue::advance(double now) {
    if (!m_animation) {
        return false;
    }
    const auto step =
        m_animation->step(m_from, m_target, m_fromVelocity, now - m_start, m_tolerance);
    m_value = step.value;
    m_velocity = step.velocity;
    if (step.finished) {
        m_animation.reset();
        m_value = m_target;
        m_velocity = 0;
        return false;
    }
    return true;
}

}  // namespace notchkit
