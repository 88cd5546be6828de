#pragma once

#include "NotchWindowSystem.h"

namespace notchkit {

// For Qt platforms other than X11: the window mask is the input region where
// the platform supports one (Wayland); workspaces are the compositor's business.
// Headless platforms (offscreen rendering) have no stacking, opacity or input
// to shape, so nothing is asked of them; they keep translucent pixels, as a
// compositor would. Wayland always composites.
class QtNotchWindowSystem final : public NotchWindowSystem {
public:
    explicit QtNotchWindowSystem(bool headless) : m_headless(headless) {}

    void preparePanel(QWidget* panel) override;
    void panelShown(QWidget* panel) override;
    void setOpacity(QWidget* panel, double opacity) override;
    void setSurfaceRegion(QWidget* panel, const QRegion& region) override;
    bool isCompositing() const override { return true; }

private:
    bool m_headless;
};

}  // namespace notchkit
