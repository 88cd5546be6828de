#pragma once

#include <QPointF>

namespace notchkit {

// Scales content about `anchor`, a unit point of its bounds ((0,0) top-left,
// (1,1) bottom-right).
struct ScaleModifier {
    double xScale = 1;
    double yScale = 1;
    QPointF anchor{0.5, 0.5};
};

}  // namespace notchkit
