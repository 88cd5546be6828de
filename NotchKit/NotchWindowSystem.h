#pragma once

#include <QObject>
#include <QRegion>

#include <memory>

class QWidget;

namespace notchkit {

// What the panel needs from the window system beyond Qt's own window flags:
// presence on every workspace, pointer input limited to the visible shape,
// and whether translucent pixels show what lies below.
class NotchWindowSystem : public QObject {
    Q_OBJECT

public:
    ~NotchWindowSystem() override = default;

    // Before the panel is mapped; its native window exists.
    virtual void preparePanel(QWidget* panel) = 0;
    // Right after the panel has been mapped; also brings it to the front.
    virtual void panelShown(QWidget* panel) = 0;
    // The whole window's opacity, for fading it in and out.
    virtual void setOpacity(QWidget* panel, double opacity) = 0;
    // The visible surface, in panel coordinates. Pointer input reaches the
    // panel only inside it; elsewhere clicks fall through to the windows
    // below. Where nothing composites the window, it is also all the window
    // draws, so its transparent rest cannot paint over other windows.
    virtual void setSurfaceRegion(QWidget* panel, const QRegion& region) = 0;
    // Whether a compositor blends the panel's translucent pixels with what
    // lies below; without one they show as black.
    virtual bool isCompositing() const = 0;

    // The implementation for the running Qt platform.
    static std::unique_ptr<NotchWindowSystem> forPlatform();

signals:
    void compositingChanged(bool compositing);
};

}  // namespace notchkit
