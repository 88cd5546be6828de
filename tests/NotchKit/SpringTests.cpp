// The spring and the values it drives: the closed form must agree with the
// differential equation it solves, and retargeting must not jump.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "NotchKit/AnimatedValue.h"
#include "NotchKit/Animation.h"
#include "NotchKit/Spring.h"

using namespace notchkit;

namespace {

// x'' = -w^2 x - 2 z w x', integrated with small RK4 steps.
Spring::Sample integrate(double response, double damping, double x, double v, double seconds) {
    const double w = 2 * std::numbers::pi / response;
    const auto accel = [&](double px, double pv) { return -w * w * px - 2 * damping * w * pv; };
    const int steps = 20000;
    const double h = seconds / steps;
    for (int i = 0; i < steps; ++i) {
        const double k1x = v, k1v = accel(x, v);
        const double k2x = v + h / 2 * k1v, k2v = accel(x + h / 2 * k1x, v + h / 2 * k1v);
        const double k3x = v + h / 2 * k2v, k3v = accel(x + h / 2 * k2x, v + h / 2 * k2v);
        const double k4x = v + h * k3v, k4v = accel(x + h * k3x, v + h * k3v);
        x += h / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
        v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    return {x, v};
}

}  // namespace

TEST(Spring, ClosedFormAgreesWithTheEquationForEveryDampingRegime) {
    for (const double damping : {0.5, 0.7, 0.85, 1.0, 1.4}) {
        const Spring spring(0.4, damping);
        for (const double t : {0.05, 0.13, 0.3, 0.6}) {
            const auto exact = spring.evaluate(120, -300, t);
            const auto numeric = integrate(0.4, damping, 120, -300, t);
            EXPECT_NEAR(exact.displacement, numeric.displacement, 1e-6)
                << "damping " << damping << " at " << t;
            EXPECT_NEAR(exact.velocity, numeric.velocity, 1e-5)
                << "damping " << damping << " at " << t;
        }
    }
}

TEST(Spring, UnderDampedOvershootsAndCriticallyDampedDoesNot) {
    const Spring bouncy(0.4, 0.7);
    const Spring critical(0.4, 1.0);
    double bouncyPeak = 0;
    double criticalPeak = 0;
    for (double t = 0; t < 1.5; t += 0.005) {
        bouncyPeak = std::max(bouncyPeak, bouncy.progress(t));
        criticalPeak = std::max(criticalPeak, critical.progress(t));
    }
    EXPECT_GT(bouncyPeak, 1.01);
    EXPECT_LE(criticalPeak, 1.0 + 1e-9);
    EXPECT_DOUBLE_EQ(bouncy.progress(0), 0);
    EXPECT_NEAR(bouncy.progress(3), 1, 1e-6);
}

TEST(Spring, SettlingTakesLongerWithLessDamping) {
    const double stiff = Spring(0.4, 1.0).settlingDuration();
    const double loose = Spring(0.4, 0.5).settlingDuration();
    EXPECT_GT(stiff, 0.3);
    EXPECT_LT(stiff, 1.0);
    EXPECT_GT(loose, stiff);
}

TEST(AnimatedValue, RetargetingMidFlightKeepsPositionAndSpeed) {
    AnimatedValue value(0);
    value.setTarget(100, Animation::spring(0.4, 0.85), 0.0);
    value.advance(0.1);
    const double before = value.value();
    const double probe = 0.001;
    value.advance(0.1 + probe);
    const double speedBefore = (value.value() - before) / probe;
    value.advance(0.1);

    value.setTarget(-50, Animation::spring(0.4, 0.85), 0.1);
    EXPECT_NEAR(value.value(), before, 1e-9);
    value.advance(0.1 + probe);
    const double speedAfter = (value.value() - before) / probe;
    EXPECT_NEAR(speedAfter, speedBefore, std::abs(speedBefore) * 0.05);

    EXPECT_FALSE(value.advance(5.0));
    EXPECT_DOUBLE_EQ(value.value(), -50);
    EXPECT_FALSE(value.isAnimating());
}

TEST(AnimatedValue, WithoutAnimationJumpsAndTheSameTargetDoesNotRestart) {
    AnimatedValue value(10);
    value.setTarget(20, std::nullopt, 0);
    EXPECT_DOUBLE_EQ(value.value(), 20);
    EXPECT_FALSE(value.isAnimating());

    value.setTarget(40, Animation::spring(0.4, 1.0), 1.0);
    value.advance(1.2);
    const double midway = value.value();
    value.setTarget(40, Animation::spring(0.4, 1.0), 1.2);
    value.advance(1.3);
    // Still the first flight, not a fresh start from `midway`.
    EXPECT_NEAR(value.value(), 20 + 20 * Spring(0.4, 1.0).progress(0.3), 1e-6);
    EXPECT_GT(value.value(), midway);
}

TEST(Animation, TimingCurveWaitsForItsDelayAndEndsOnTheTarget) {
    const Animation fill = Animation::timingCurve(0, 0.55, 0.45, 1.0, 0.8).delayed(0.1);
    EXPECT_DOUBLE_EQ(fill.step(0, 1, 0, 0.05).value, 0);
    const double early = fill.step(0, 1, 0, 0.2).value;
    const double late = fill.step(0, 1, 0, 0.7).value;
    EXPECT_GT(early, 0);
    EXPECT_GT(late, early);
    // The curve starts steeply: a quarter of the time covers well over a quarter.
    EXPECT_GT(early, 0.125);
    const auto end = fill.step(0, 1, 0, 0.9);
    EXPECT_TRUE(end.finished);
    EXPECT_DOUBLE_EQ(end.value, 1);
}
