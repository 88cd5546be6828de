#pragma once

#include <QRegion>

#include <memory>

class QWidget;

namespace notchkit {

// What the panel needs from the window system beyond Qt's own window flags:
// presence on every workspace and pointer input limited to the visible shape.
class NotchWindowSystem {
public:
    virtual ~NotchWindowSystem() = default;

    // Before the panel is mapped; its native window exists.
    virtual void preparePanel(QWidget* panel) = 0;
    // Right after the panel has been mapped; also brings it to the front.
    virtual void panelShown(QWidget* panel) = 0;
    // The whole window's opacity, for fading it in and out.
    virtual void setOpacity(QWidget* panel, double opacity) = 0;
    // Pointer input reaches the panel only inside `region` (panel coordinates);
    // elsewhere clicks fall through to the windows below.
    virtual void setInputRegion(QWidget* panel, const QRegion& region) = 0;

    // The implementation for the running Qt platform.
    static std::unique_ptr<NotchWindowSystem> forPlatform();
};

}  // namespace notchkit
