#pragma once

#include <QEasingCurve>

#include <optional>

#include "Spring.h"

namespace notchkit {

// How a value moves to a new target: a spring, or a timing curve over a fixed
// duration, either optionally delayed.
class Animation final {
public:
    struct Step {
        double value = 0;
        double velocity = 0;
        bool finished = false;
    };

    static Animation spring(Spring spring) { return Animation(spring); }
    static Animation spring(double response, double dampingFraction, double blendDuration = 0) {
        return Animation(Spring(response, dampingFraction, blendDuration));
    }
    static Animation curve(QEasingCurve curve, double duration) {
        return Animation(std::move(curve), duration);
    }
    // A cubic Bézier timing curve through (0,0), (x1,y1), (x2,y2), (1,1).
    static Animation timingCurve(double x1, double y1, double x2, double y2, double duration);
    static Animation easeIn(double duration) { return curve(QEasingCurve::InQuad, duration); }
    static Animation easeOut(double duration) { return curve(QEasingCurve::OutQuad, duration); }

    Animation delayed(double seconds) const;

    const std::optional<Spring>& asSpring() const { return m_spring; }
    double duration() const { return m_duration; }
    double delay() const { return m_delay; }

    // Where a value that set off from `from` at `velocity` towards `to` is
    // `seconds` later. `tolerance` is how close counts as arrived.
    Step step(double from, double to, double velocity, double seconds,
              double tolerance = 0.001) const;

    bool operator==(const Animation& other) const;

private:
    explicit Animation(Spring spring) : m_spring(spring) {}
    Animation(QEasingCurve curve, double duration)
        : m_curve(std::move(curve)), m_duration(duration) {}

    std::optional<Spring> m_spring;
    QEasingCurve m_curve;
    double m_duration = 0;
    double m_delay = 0;
};

}  // namespace notchkit
