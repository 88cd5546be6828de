#include "Halvane/Monitors/SegmentedBarGeometry.h"

#include <algorithm>
#include <cmath>

namespace halvane::SegmentedBarGeometry {

int litCount(float value, int segmentCount) {
    if (segmentCount <= 0) {
        return 0;
    }
    // In single precision, like the value itself: 10 × 0.1f is exactly 1 there,
    // where widening first would light a second segment for 10 %.
    const float lit = std::ceil(static_cast<float>(segmentCount) * value);
    if (!(lit > 0.0f)) {
        return 0;
    }
    return static_cast<int>(std::min(lit, static_cast<float>(segmentCount)));
}

double segmentWidth(double availableWidth, int segmentCount, double spacing) {
    if (segmentCount <= 0) {
        return minimumSegmentWidth;
    }
    const double width = (availableWidth - (segmentCount - 1) * spacing) / segmentCount;
    return std::max(width, minimumSegmentWidth);
}

std::vector<Segment> segments(float value, int segmentCount, double availableWidth,
                              double spacing) {
    std::vector<Segment> result;
    if (segmentCount <= 0) {
        return result;
    }
    const int lit = litCount(value, segmentCount);
    const double width = segmentWidth(availableWidth, segmentCount, spacing);
    result.reserve(static_cast<std::size_t>(segmentCount));
    for (int i = 0; i < segmentCount; ++i) {
        result.push_back({i * (width + spacing), width, i < lit});
    }
    return result;
}

}  // namespace halvane::SegmentedBarGeometry
