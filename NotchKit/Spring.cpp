#include "Spring.h"

#include <cmath>
#include <numbers>

namespace notchkit {

Spring::Sample Spring::evaluate(double displacement, double velocity, double seconds) const {
    if (m_response <= 0 || seconds <= 0) {
        return seconds <= 0 ? Sample{displacement, velocity} : Sample{};
    }
    const double omega = 2 * std::numbers::pi / m_response;
    const double zeta = std::max(m_dampingFraction, 0.0);
    const double t = seconds;
    if (zeta < 1) {
        const double damped = omega * std::sqrt(1 - zeta * zeta);
        const double decay = zeta * omega;
        const double a = displacement;
        const double b = (velocity + decay * displacement) / damped;
        const double envelope = std::exp(-decay * t);
        const double c = std::cos(damped * t);
        const double s = std::sin(damped * t);
        return {envelope * (a * c + b * s),
                envelope * ((b * damped - decay * a) * c - (a * damped + decay * b) * s)};
    }
    if (zeta == 1) {
        const double envelope = std::exp(-omega * t);
        const double b = velocity + omega * displacement;
        return {envelope * (displacement + b * t), envelope * (velocity - omega * b * t)};
    }
    const double root = std::sqrt(zeta * zeta - 1);
    const double r1 = -omega * (zeta - root);
    const double r2 = -omega * (zeta + root);
    const double c2 = (velocity - r1 * displacement) / (r2 - r1);
    const double c1 = displacement - c2;
    const double e1 = std::exp(r1 * t);
    const double e2 = std::exp(r2 * t);
    return {c1 * e1 + c2 * e2, r1 * c1 * e1 + r2 * c2 * e2};
}

double Spring::progress(double seconds) const {
    return 1 - evaluate(1, 0, seconds).displacement;
}

double Spring::settlingDuration(double tolerance) const {
    if (m_response <= 0) {
        return 0;
    }
    // Walk back from a generous bound to the last instant outside the band.
    constexpr double step = 1.0 / 240;
    constexpr double limit = 30;
    double settled = 0;
    for (double t = 0; t <= limit; t += step) {
        const auto sample = evaluate(1, 0, t);
        if (std::abs(sample.displacement) > tolerance) {
            settled = t + step;
        }
    }
    return settled;
}

}  // namespace notchkit
