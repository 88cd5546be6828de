#pragma once

namespace notchkit {

// A damped spring described by its response (the period of the undamped
// oscillation, seconds) and damping fraction (1 = critically damped), evaluated
// in closed form so any instant can be sampled without integrating frames.
class Spring final {
public:
    struct Sample {
        double displacement = 0;  // distance from the target
        double velocity = 0;      // units per second
    };

    constexpr Spring(double response = 0.55, double dampingFraction = 0.825,
                     double blendDuration = 0)
        : m_response(response),
          m_dampingFraction(dampingFraction),
          m_blendDuration(blendDuration) {}

    constexpr double response() const { return m_response; }
    constexpr double dampingFraction() const { return m_dampingFraction; }
    constexpr double blendDuration() const { return m_blendDuration; }

    // Displacement and velocity `seconds` after release from `displacement`
    // moving at `velocity`.
    Sample evaluate(double displacement, double velocity, double seconds) const;

    // Fraction of the way from start to target after `seconds`, starting at
    // rest; overshoots past 1 when under-damped.
    double progress(double seconds) const;

    // Time until a unit move stays within `tolerance` of its target.
    double settlingDuration(double tolerance = 0.001) const;

    constexpr bool operator==(const Spring&) const = default;

private:
    double m_response;
    double m_dampingFraction;
    double m_blendDuration;
};

}  // namespace notchkit
