#pragma once

#include <QString>

#include <optional>

#include "NotchScreenGeometry.h"
#include "NotchStyle.h"

class QScreen;

namespace notchkit {

// Screen queries the presenter needs. Desktop screens have no camera housing;
// the environment variable HALVANE_NOTCH=<width>x<height> gives the primary
// screen one (for laptops with a real notch, screenshots and tests).
class NotchScreen final {
public:
    static constexpr const char* notchVariable = "HALVANE_NOTCH";

    static NotchScreenGeometry geometry(const QScreen* screen);

    // Height of the strip above the visible frame. A notch sits inside that
    // strip, so a screen with one reports at least the notch's height.
    static double menubarHeight(const NotchScreenGeometry& screen);

    // The notch, or where one would be: 300 wide and menu-bar tall, centred.
    static QRectF notchFrameWithTopBarAsBackup(const NotchScreenGeometry& screen);

    // `automatic` resolves to the notch preset on a screen with a notch and to
    // the floating preset elsewhere; explicit styles stay as they are.
    static NotchStyle effectiveStyle(NotchStyle configured, const NotchScreenGeometry& screen);
    static NotchStyle effectiveStyle(NotchStyle configured, const QScreen* screen);

    // "<width>x<height>" with positive whole numbers, else nothing.
    static std::optional<QSizeF> parseNotchSize(const QString& text);
};

}  // namespace notchkit
