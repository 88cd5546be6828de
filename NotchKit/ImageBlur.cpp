#include "ImageBlur.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace notchkit {

namespace {

// One box pass of half-width `r` over `count` pixels spaced `stride` apart.
void boxPass(uint32_t* line, int count, int stride, int r, std::vector<uint32_t>& scratch) {
    scratch.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        scratch[static_cast<size_t>(i)] = line[static_cast<ptrdiff_t>(i) * stride];
    }
    const int window = 2 * r + 1;
    std::array<uint32_t, 4> sum{};
    const auto channel = [](uint32_t pixel, int c) { return (pixel >> (8 * c)) & 0xffu; };
    const auto at = [&](int i) {
        return scratch[static_cast<size_t>(std::clamp(i, 0, count - 1))];
    };
    for (int i = -r; i <= r; ++i) {
        for (int c = 0; c < 4; ++c) {
            sum[c] += channel(at(i), c);
        }
    }
    for (int i = 0; i < count; ++i) {
        uint32_t pixel = 0;
        for (int c = 0; c < 4; ++c) {
            pixel |= ((sum[c] + window / 2) / window) << (8 * c);
        }
        line[static_cast<ptrdiff_t>(i) * stride] = pixel;
        const uint32_t leaving = at(i - r);
        const uint32_t entering = at(i + r + 1);
        for (int c = 0; c < 4; ++c) {
            sum[c] += channel(entering, c);
            sum[c] -= channel(leaving, c);
        }
    }
}

}  // namespace

void ImageBlur::blur(QImage& image, double radius) {
    if (radius < 0.5 || image.isNull()) {
        return;
    }
    if (image.format() != QImage::Format_ARGB32_Premultiplied) {
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    // A wide blur loses nothing when done at a fraction of the resolution, and
    // costs a fraction of the time: shadows and transitions blur every frame.
    const int reduction = std::clamp(static_cast<int>(radius / 3), 1, 4);
    if (reduction > 1 && image.width() >= 4 * reduction && image.height() >= 4 * reduction) {
        const QSize full = image.size();
        const double ratio = image.devicePixelRatio();
        QImage small =
            image.scaled(full / reduction, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        blur(small, radius / reduction);
        image = small.scaled(full, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(ratio);
        return;
    }
    // Three boxes of this half-width add up to a Gaussian of sigma = radius / 2.
    const double sigma = radius / 2;
    const int r =
        std::max(1, static_cast<int>(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
    const int width = image.width();
    const int height = image.height();
    const int stride = static_cast<int>(image.bytesPerLine() / 4);
    auto* pixels = reinterpret_cast<uint32_t*>(image.bits());
    std::vector<uint32_t> scratch;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            boxPass(pixels + static_cast<ptrdiff_t>(y) * stride, width, 1, r, scratch);
        }
        for (int x = 0; x < width; ++x) {
            boxPass(pixels + x, height, stride, r, scratch);
        }
    }
}

}  // namespace notchkit
