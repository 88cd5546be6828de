#pragma once

#include <vector>

namespace halvane::SegmentedBarGeometry {

// The HUD's bar: ten segments two points apart, eight points high.
inline constexpr int hudSegmentCount = 10;
inline constexpr double hudSpacing = 2.0;
inline constexpr double hudHeight = 8.0;
// How each segment is drawn.
inline constexpr double cornerRadius = 2.5;
inline constexpr double litShadowRadius = 3.0;
inline constexpr double litShadowOpacity = 0.5;
inline constexpr double unlitWhiteOpacity = 0.1;
// However narrow the bar, a segment stays visible.
inline constexpr double minimumSegmentWidth = 2.0;

struct Segment {
    // From the bar's leading edge, in points.
    double x = 0.0;
    double width = 0.0;
    bool lit = false;
};

// ⌈segmentCount × value⌉, kept within 0…segmentCount.
int litCount(float value, int segmentCount);

// The width left for each segment once the gaps are taken, at least
// minimumSegmentWidth; narrow bars overflow rather than lose segments.
double segmentWidth(double availableWidth, int segmentCount, double spacing);

// Every segment, leading one first, laid out in availableWidth.
std::vector<Segment> segments(float value, int segmentCount, double availableWidth, double spacing);

}  // namespace halvane::SegmentedBarGeometry
