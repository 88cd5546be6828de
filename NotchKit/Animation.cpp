#include "Animation.h"

#include <QPointF>

#include <cmath>

namespace notchkit {

Animation Animation::timingCurve(double x1, double y1, double x2, double y2, double duration) {
    QEasingCurve bezier(QEasingCurve::BezierSpline);
    bezier.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
    return Animation(bezier, duration);
}

Animation Animation::delayed(double seconds) const {
    Animation copy = *this;
    copy.m_delay = seconds;
    return copy;
}

Animation::Step Animation::step(double from, double to, double velocity, double seconds,
                                double tolerance) const {
    const double t = seconds - m_delay;
    if (t <= 0) {
        return {from, m_spring ? velocity : 0, false};
    }
    if (m_spring) {
        const auto sample = m_spring->evaluate(from - to, velocity, t);
        // A spring never quite arrives: stop once both distance and speed are negligible.
        const bool finished = std::abs(sample.displacement) <= tolerance &&
                              std::abs(sample.velocity) <= tolerance * 10;
        if (finished) {
            return {to, 0, true};
        }
        return {to + sample.displacement, sample.velocity, false};
    }
    if (m_duration <= 0 || t >= m_duration) {
        return {to, 0, true};
    }
    const double fraction = t / m_duration;
    const double eased = m_curve.valueForProgress(fraction);
    constexpr double h = 1e-3;
    const double slope =
        (m_curve.valueForProgress(std::min(fraction + h, 1.0)) - eased) / h / m_duration;
    return {from + (to - from) * eased, (to - from) * slope, false};
}

bool Animation::operator==(const Animation& other) const {
    return m_spring == other.m_spring && m_curve == other.m_curve &&
           m_duration == other.m_duration && m_delay == other.m_delay;
}

}  // namespace notchkit
