#pragma once

#include <QRectF>
#include <QSizeF>

#include <optional>

namespace notchkit {

// A screen as the kit sees it, in Qt's global coordinates (origin top-left,
// y downwards): its frame, the part not covered by panels, and the size of the
// camera housing at its top centre when it has one.
struct NotchScreenGeometry {
    QRectF frame;
    QRectF visibleFrame;
    std::optional<QSizeF> notch;
};

}  // namespace notchkit
