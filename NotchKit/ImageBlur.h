#pragma once

#include <QImage>

namespace notchkit {

// A Gaussian-looking blur (three box passes each way) for shadows and the
// blur of the insertion transitions. `radius` is in pixels of the image; the
// image is converted to premultiplied ARGB and blurred in place.
class ImageBlur final {
public:
    static void blur(QImage& image, double radius);
};

}  // namespace notchkit
