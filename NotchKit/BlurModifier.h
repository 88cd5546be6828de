#pragma once

namespace notchkit {

// Blurs content with a radius of `intensity` points, keeping its transparency.
struct BlurModifier {
    double intensity = 0;
};

}  // namespace notchkit
