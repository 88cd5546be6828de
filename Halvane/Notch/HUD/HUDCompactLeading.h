#pragma once

#include <QColor>
#include <QWidget>

#include "Halvane/Monitors/HUDKind.h"
#include "Halvane/Theme/Icon.h"
#include "NotchKit/AnimatedValue.h"
#include "NotchKit/AnimationDriver.h"

namespace halvane {

class HUDState;

// The HUD's left wing: the icon of what changed (speaker, sun, battery,
// bolt), which bounces on every new event. Beside a notch it is as wide as
// the bar's wing, to keep the notch centred; in the floating pill it is just
// the icon.
class HUDCompactLeading final : public QWidget {
    Q_OBJECT

public:
    static constexpr int width = 120;
    static constexpr int leadingPadding = 6;
    static constexpr int iconBox = 16;
    static constexpr qreal iconPointSize = 12;

    explicit HUDCompactLeading(HUDState& hud, QWidget* parent = nullptr);
    ~HUDCompactLeading() override;

    static Icon icon(const HUDKind& kind);
    static QColor color(const HUDKind& kind);

    // The icon's box, vertically centred at the leading edge.
    QRectF iconRect() const;
    bool isBouncing() const { return m_driver.isRunning(); }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void bounce();
    void onTick(double now);

    HUDState& m_hud;
    // 0 at rest; runs to 1 over one bounce.
    notchkit::AnimatedValue m_bounce{0, 0.001};
    notchkit::AnimationDriver m_driver;
};

}  // namespace halvane
